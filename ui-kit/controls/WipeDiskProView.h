#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

// A thin bar 4 points high at the bottom of its view.
class WipeDiskProView : public kit::DrawnProgressBar {
    Q_OBJECT

public:
    explicit WipeDiskProView(QWidget* parent = nullptr) : kit::DrawnProgressBar(parent) {}
    QList<kit::DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
};
