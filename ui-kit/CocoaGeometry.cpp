#include "ui-kit/CocoaGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTransform>
#include <QWidget>

namespace kit {

QRectF cocoaRect(const QRectF& rect, qreal parentHeight) {
    return {rect.x(), parentHeight - (rect.y() + rect.height()), rect.width(), rect.height()};
}

QPointF cocoaPoint(const QPointF& point, qreal parentHeight) {
    return {point.x(), parentHeight - point.y()};
}

QPainterPath cocoaPath(const QPainterPath& path, qreal height) {
    return QTransform(1, 0, 0, -1, 0, height).map(path);
}

void cocoaArc(QPainterPath& path, const QPointF& center, qreal radius, qreal startDegrees, qreal endDegrees) {
    // With y up, Qt's arcTo (which assumes y down) runs mirrored: negating the angles puts the points back.
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    path.arcTo(box, -startDegrees, -(endDegrees - startDegrees));
}

qreal primaryScreenHeight() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

QRectF insetRect(const QRectF& rect, qreal dx, qreal dy) {
    return {rect.x() + dx, rect.y() + dy, rect.width() - 2 * dx, rect.height() - 2 * dy};
}

void setCocoaFrame(QWidget* view, const QRectF& frame) {
    const QWidget* parent = view->parentWidget();
    const qreal parentHeight = parent ? parent->height() : primaryScreenHeight();
    view->setGeometry(cocoaRect(frame, parentHeight).toRect());
}

}  // namespace kit
