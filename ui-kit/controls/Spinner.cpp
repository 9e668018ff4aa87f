#include "ui-kit/controls/Spinner.h"

#include "ui-kit/Palette.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace kit {

Spinner::Spinner(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
    timer_->setInterval(kStepInterval);
    connect(timer_, &QTimer::timeout, this, &Spinner::step);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool Spinner::isSpinning() const {
    return timer_->isActive();
}

void Spinner::step() {
    frame_ = (frame_ + 1) % kSpokes;
    update();
}

void Spinner::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = std::min(width(), height()) / 2.0;
    QPen pen;
    pen.setWidthF(radius / 4);
    pen.setCapStyle(Qt::RoundCap);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        // How many steps ago the head passed this spoke: the head is darkest, the spoke behind it palest.
        const int age = (frame_ - spoke + kSpokes) % kSpokes;
        pen.setColor(darkText(1.0f - 0.8f * static_cast<float>(age) / (kSpokes - 1)));
        painter.setPen(pen);
        painter.drawLine(QPointF(0, -radius * 0.5), QPointF(0, -radius + pen.widthF() / 2));
        painter.rotate(360.0 / kSpokes);
    }
}

void Spinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_->start();
}

void Spinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_->stop();
}

}  // namespace kit
