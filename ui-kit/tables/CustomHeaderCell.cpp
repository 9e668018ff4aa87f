#include "ui-kit/tables/CustomHeaderCell.h"

#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/getColor.h"

#include <QPainter>
#include <QPainterPath>

CustomHeaderCell::CustomHeaderCell(const QString& stringValue)
    : title_{stringValue, titleFont(), titleColor()} {}

QFont CustomHeaderCell::titleFont() {
    return kit::systemFont(12);
}

QColor CustomHeaderCell::titleColor() {
    return kit::darkText(0.8f);
}

CustomHeaderCell::AttributedString CustomHeaderCell::getStr() {
    title_.font = titleFont();
    title_.color = titleColor();
    return title_;
}

QRectF CustomHeaderCell::titleRect(const QRectF& frame) const {
    if (_priority != 0) {
        return {frame.x() + 3, frame.y() + 8, frame.width(), frame.height()};
    }
    return {frame.x(), frame.y() + 8, frame.width() - 8, frame.height()};
}

void CustomHeaderCell::drawWithFrame(QPainter& painter, const QRectF& frame) {
    painter.save();
    painter.fillRect(frame, getColor(255, 255, 255, 1));
    const AttributedString title = getStr();
    painter.setFont(title.font);
    painter.setPen(title.color);
    painter.setClipRect(frame);
    painter.drawText(titleRect(frame), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title.string);
    painter.restore();
}

std::array<QPointF, 3> CustomHeaderCell::sortIndicatorPoints(const QRectF& frame, bool ascending) {
    const qreal x0 = frame.x() + frame.width() - 12;
    const qreal y = frame.y();
    const qreal h = frame.height();
    if (ascending) {
        return {QPointF(x0, y + h - 10), QPointF(x0 + 4, y + h - 17), QPointF(x0 + 8, y + h - 10)};
    }
    return {QPointF(x0, y + 10), QPointF(x0 + 4, y + 17), QPointF(x0 + 8, y + 10)};
}

void CustomHeaderCell::drawSortIndicatorWithFrame(QPainter& painter, const QRectF& frame, bool ascending,
                                                  int /*priority*/) const {
    const std::array<QPointF, 3> points = sortIndicatorPoints(frame, ascending);
    QPainterPath triangle;
    triangle.moveTo(points[0]);
    triangle.lineTo(points[1]);
    triangle.lineTo(points[2]);
    triangle.closeSubpath();
    painter.fillPath(triangle, _priority != 0 ? QColor(Qt::transparent) : QColor(Qt::white));
}

void CustomHeaderCell::setSortAscending(bool ascending, int priority) {
    _ascending = ascending;
    _priority = priority;
}
