#include "ui-kit/controls/DrawnProgressBar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kit {

DrawnProgressBar::DrawnProgressBar(QWidget* parent) : QWidget(parent) {}

float DrawnProgressBar::filledWidthFor(float width, float percent) {
    if (std::isnan(percent) || percent < 0) {
        percent = 0;
    }
    percent = std::min(percent, 100.0f);
    auto filled = static_cast<float>(static_cast<double>(width) * (static_cast<double>(percent) / 100.0));
    if (width - 1 < filled) {
        filled = width;
    }
    return filled;
}

void DrawnProgressBar::changeProgressValue(float percent) {
    filled_ = filledWidthFor(static_cast<float>(width()), percent);
    update();
}

void DrawnProgressBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintDrawnShapes(painter, barShapes(size(), filled_), height());
}

}  // namespace kit
