#include "ui-kit/controls/AidProgress.h"

#include "ui-kit/getColor.h"

#include <algorithm>

AidProgress::AidProgress(QWidget* parent) : kit::DrawnProgressBar(parent) {
    sweep_.setStartValue(0.0);
    sweep_.setEndValue(1.0);
    sweep_.setDuration(static_cast<int>(kSweepDuration.count()));
    sweep_.setLoopCount(-1);
    connect(&sweep_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void AidProgress::setRunning(bool running) {
    if (running == isRunning()) {
        return;
    }
    if (running) {
        changeProgressValue(0);
        sweep_.start();
    } else {
        sweep_.stop();
        update();
    }
}

QRectF AidProgress::sweepRect(const QSizeF& size, double phase) {
    const double length = size.width() * kSweepShare;
    const double left = phase * (size.width() + length) - length;
    const double cutLeft = std::max(0.0, left);
    const double cutRight = std::min(size.width(), left + length);
    return {cutLeft, 0, std::max(0.0, cutRight - cutLeft), size.height()};
}

QList<kit::DrawnShape> AidProgress::barShapes(const QSizeF& size, float filledWidth) const {
    const QRectF fill = isRunning() ? sweepRect(size, sweep_.currentValue().toDouble())
                                    : QRectF(0, 0, filledWidth, size.height());
    return {kit::DrawnShape::fill({0, 0, size.width(), size.height()}, 3.5, getColor(37, 47, 57, 1)),
            kit::DrawnShape::fill(fill, 3.5, getColor(95, 130, 252, 1))};
}
