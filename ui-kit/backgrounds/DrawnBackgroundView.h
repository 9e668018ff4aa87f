#pragma once

#include "ui-kit/backgrounds/DrawnShape.h"

#include <QWidget>

namespace kit {

// A view whose only job is to paint a fixed background: its shapes come from its size alone, in its own
// Cocoa coordinates, and are painted whole at every redraw, whatever part of the view is being redrawn and
// wherever the view sits in its parent. The view itself is transparent around its shapes.
class DrawnBackgroundView : public QWidget {
    Q_OBJECT

public:
    explicit DrawnBackgroundView(QWidget* parent = nullptr);

    virtual QList<DrawnShape> backgroundShapes(const QSizeF& size) const = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kit
