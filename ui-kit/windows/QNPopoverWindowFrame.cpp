#include "ui-kit/windows/QNPopoverWindowFrame.h"

#include "ui-kit/CocoaGeometry.h"

#include <QPainter>

QNPopoverWindowFrame::QNPopoverWindowFrame(QWidget* parent)
    : QWidget(parent), color_(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.8f)) {}

template <typename T>
void QNPopoverWindowFrame::change(T& field, const T& value) {
    if (field != value) {
        field = value;
        update();
    }
}

void QNPopoverWindowFrame::setColor(const QColor& color) {
    change(color_, color);
}

void QNPopoverWindowFrame::setBorderColor(const QColor& color) {
    change(borderColor_, color);
}

void QNPopoverWindowFrame::setBorderWidth(double width) {
    change(borderWidth_, width);
}

void QNPopoverWindowFrame::setCornerRadius(double radius) {
    change(cornerRadius_, radius);
}

void QNPopoverWindowFrame::setArrowSize(const QSizeF& size) {
    change(arrowSize_, size);
}

void QNPopoverWindowFrame::setArrowDirection(int direction) {
    change(arrowDirection_, direction);
}

QPainterPath QNPopoverWindowFrame::popoverBezierPathWithRect(const QRectF& rect) const {
    return kit::popover::outlinePath(rect, arrowDirection_, cornerRadius_, arrowSize_);
}

void QNPopoverWindowFrame::paintEvent(QPaintEvent* /*event*/) {
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    const QPainterPath path = kit::cocoaPath(
        popoverBezierPathWithRect(kit::popover::outlineRect(bounds, borderWidth_)), bounds.height());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (color_.isValid()) {
        painter.fillPath(path, Qt::white);
    }
    if (borderColor_.isValid() && borderWidth_ > 0) {
        QPen pen(borderColor_, borderWidth_);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(path, pen);
    }
    if (topHighlightColor_.isValid()) {
        for (const QRectF& line : kit::popover::topHighlightRects(bounds, arrowDirection_, cornerRadius_,
                                                                  arrowSize_, borderWidth_)) {
            painter.fillRect(kit::cocoaRect(line, bounds.height()), topHighlightColor_);
        }
    }
}
