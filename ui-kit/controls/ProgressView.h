#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

// The copy, image and clone progress bar: 6 points high at the bottom of its view.
class ProgressView : public DrawnProgressBar {
public:
    explicit ProgressView(QWidget* parent = nullptr) : DrawnProgressBar(parent) {}
    QList<DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
};
