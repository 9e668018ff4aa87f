#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The light content area of the main window; on its 888 x 558 view the top corners come out square.
class BGWView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit BGWView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
