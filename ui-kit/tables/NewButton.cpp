#include "ui-kit/tables/NewButton.h"

#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace {

int& clickLatch() {
    static int latch = 0;  // shared by every cell; main thread only
    return latch;
}

}  // namespace

QRectF NewButton::imageRectForBounds(const QRectF& bounds) const {
    if (!label_) {
        return {};
    }
    const qreal x = bounds.x() + (icon_.isNull() ? 10 : 35);
    return {x, bounds.y() + std::ceil((bounds.height() - 22) * 0.5), 800, 22};
}

QRectF NewButton::iconImageRectForBounds(const QRectF& bounds) const {
    if (icon_.isNull()) {
        return {};
    }
    return {bounds.x() + 17, bounds.y() + std::ceil((bounds.height() - 18) * 0.5), 18, 18};
}

void NewButton::drawWithFrame(QPainter& painter, const QRectF& frame, const QWidget* view) const {
    icon_.draw(painter, iconImageRectForBounds(frame));
    if (label_) {
        painter.save();
        painter.setFont(view->font());
        painter.setPen(view->palette().color(QPalette::Text));
        painter.drawText(imageRectForBounds(frame), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         *label_);
        painter.restore();
    }
}

int NewButton::hitTestForEvent(const QPointF& point, const QRectF& cellFrame) {
    const QRectF clickArea(cellFrame.topLeft(), QSizeF(15, 30));
    if (!clickArea.contains(point) || clickLatch() != 0) {
        return kHitNone;
    }
    ++clickLatch();  // before telling the delegate, whose handler may come back here
    QTimer::singleShot(kLatchMilliseconds, &NewButton::changeVlaue);
    if (delegate_) {
        delegate_->clickButtonAction(this);
    }
    return kHitContentArea | kHitTrackableArea;
}

void NewButton::changeVlaue() {
    clickLatch() = 0;
}
