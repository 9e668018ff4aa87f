#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

// The disk picker's usage bar: a pale track the full height of the view with a blue fill.
class DiskSizeProgress : public kit::DrawnProgressBar {
    Q_OBJECT

public:
    explicit DiskSizeProgress(QWidget* parent = nullptr) : kit::DrawnProgressBar(parent) {}
    QList<kit::DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
};
