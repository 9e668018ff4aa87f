#include "ui-kit/tables/TROverlayScroller.h"

#include "ui-kit/HoverArea.h"
#include "ui-kit/windows/WindowFade.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kKnobInset = 3;  // between the knob and the track's sides and ends
constexpr double kHalfOpacity = 0.5;

}  // namespace

TROverlayScroller::TROverlayScroller(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    fadeOutTimer_.setSingleShot(true);
    fadeOutTimer_.setInterval(kFadeOutDelay);
    connect(&fadeOutTimer_, &QTimer::timeout, this, &TROverlayScroller::fadeOut);
    // Its tracking area: the scroller's current bounds, whatever its layout made of them.
    new kit::HoverArea(
        this, [this] { mouseEntered(); }, [this] { fadeOut(); }, [this](QPointF) { mouseMoved(); });
}

// --- opacity -----------------------------------------------------------------------------------------------

void TROverlayScroller::setAlphaValue(double alpha) {
    if (alpha != alphaValue_) {
        alphaValue_ = alpha;
        update();
    }
}

void TROverlayScroller::stopAlphaAnimation() {
    if (alphaAnimation_) {
        alphaAnimation_->stop();
    }
}

void TROverlayScroller::animateAlphaValue(double alpha, std::chrono::milliseconds duration) {
    stopAlphaAnimation();
    auto* animation = new QPropertyAnimation(this, "alphaValue", this);  // deletes itself when stopped
    animation->setDuration(static_cast<int>(duration.count()));
    animation->setEndValue(alpha);
    alphaAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void TROverlayScroller::sliderChange(SliderChange change) {
    QScrollBar::sliderChange(change);
    if (change != SliderValueChange) {
        return;
    }
    animateAlphaValue(kHalfOpacity, std::chrono::milliseconds(kit::WindowFade::kDefaultDurationMs));
    fadeOutTimer_.start();  // a running schedule starts over
}

void TROverlayScroller::mouseEntered() {
    animateAlphaValue(kHalfOpacity, kFadeDuration);
    fadeOutTimer_.stop();
}

void TROverlayScroller::mouseMoved() {
    stopAlphaAnimation();
    setAlphaValue(kHalfOpacity);
}

void TROverlayScroller::fadeOut() {
    animateAlphaValue(kHalfOpacity, kFadeDuration);
}

// --- the knob ----------------------------------------------------------------------------------------------

QRectF TROverlayScroller::knobRect(const QSizeF& track, int minimum, int maximum, int pageStep, int value) {
    if (maximum <= minimum) {
        return {};
    }
    const double range = static_cast<double>(maximum) - minimum;
    const double travel = track.height() - 2 * kKnobInset;
    const double length = std::clamp(travel * pageStep / (range + pageStep), kMinimumKnobLength, travel);
    const double top = kKnobInset + (travel - length) * (value - minimum) / range;
    return {kKnobInset, top, track.width() - 2 * kKnobInset, length};
}

QRectF TROverlayScroller::knobRect() const {
    return knobRect(QSizeF(size()), minimum(), maximum(), pageStep(), value());
}

void TROverlayScroller::paintEvent(QPaintEvent* /*event*/) {
    const QRectF knob = knobRect();
    if (knob.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(alphaValue_);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 128));
    const double radius = knob.width() / 2;
    painter.drawRoundedRect(knob, radius, radius);
}

int TROverlayScroller::valueForKnobTop(double top) const {
    const QRectF knob = knobRect();
    const double travel = height() - 2 * kKnobInset - knob.height();
    if (travel <= 0) {
        return value();
    }
    const double share = std::clamp((top - kKnobInset) / travel, 0.0, 1.0);
    return minimum() + static_cast<int>(std::lround(share * (maximum() - minimum())));
}

void TROverlayScroller::mousePressEvent(QMouseEvent* event) {
    const QRectF knob = knobRect();
    if (event->button() != Qt::LeftButton || knob.isEmpty()) {
        QScrollBar::mousePressEvent(event);
        return;
    }
    const double y = event->position().y();
    if (knob.contains(event->position())) {
        dragOffset_ = y - knob.top();
        setSliderDown(true);
    } else {
        triggerAction(y < knob.top() ? SliderPageStepSub : SliderPageStepAdd);
    }
}

void TROverlayScroller::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ < 0) {
        QScrollBar::mouseMoveEvent(event);
        return;
    }
    setSliderPosition(valueForKnobTop(event->position().y() - dragOffset_));
}

void TROverlayScroller::mouseReleaseEvent(QMouseEvent* event) {
    if (dragOffset_ < 0) {
        QScrollBar::mouseReleaseEvent(event);
        return;
    }
    dragOffset_ = -1;
    setSliderDown(false);
}
