#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

// A thin bar 4 points high at the bottom of its view.
class WipeDiskProView : public DrawnProgressBar {
public:
    explicit WipeDiskProView(QWidget* parent = nullptr) : DrawnProgressBar(parent) {}
    QList<DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
};
