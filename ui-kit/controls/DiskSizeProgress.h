#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

// The disk picker's usage bar: a pale track the full height of the view with a blue fill.
class DiskSizeProgress : public DrawnProgressBar {
public:
    explicit DiskSizeProgress(QWidget* parent = nullptr) : DrawnProgressBar(parent) {}
    QList<DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
};
