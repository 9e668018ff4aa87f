#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

// The copy, image and clone progress bar: 6 points high at the bottom of its view.
class ProgressView : public kit::DrawnProgressBar {
    Q_OBJECT

public:
    explicit ProgressView(QWidget* parent = nullptr) : kit::DrawnProgressBar(parent) {}
    QList<kit::DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
};
