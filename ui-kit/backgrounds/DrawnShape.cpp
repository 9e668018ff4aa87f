#include "ui-kit/backgrounds/DrawnShape.h"

#include "ui-kit/CocoaGeometry.h"

#include <QPainter>
#include <QPainterPath>

namespace kit {

void paintDrawnShapes(QPainter& painter, const QList<DrawnShape>& shapes, qreal height) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const DrawnShape& shape : shapes) {
        if (shape.rect.width() <= 0 || shape.rect.height() <= 0) {
            continue;
        }
        QPainterPath path;
        path.addRoundedRect(kit::cocoaRect(shape.rect, height), shape.radius, shape.radius);
        if (shape.paint == DrawnShape::Paint::Fill) {
            painter.fillPath(path, shape.color);
            continue;
        }
        QPen pen(shape.color, shape.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        if (!shape.dash.isEmpty()) {
            QList<qreal> pattern;  // Qt measures dashes in line widths, Cocoa in points
            for (qreal length : shape.dash) {
                pattern.append(length / shape.lineWidth);
            }
            pen.setDashPattern(pattern);
        }
        painter.strokePath(path, pen);
    }
    painter.restore();
}

}  // namespace kit
