#pragma once

#include <QColor>
#include <QList>
#include <QRectF>

class QPainter;

namespace kit {

// One rounded rectangle of a drawn view, in the view's Cocoa coordinates: filled, or stroked with a line
// width and an optional dash pattern (lengths in points). A radius of 0 gives square corners; a radius
// larger than half a side is cut to it, as a rounded-rectangle path does.
struct DrawnShape {
    enum class Paint { Fill, Stroke };

    QRectF rect;
    qreal radius = 0;
    QColor color;
    Paint paint = Paint::Fill;
    qreal lineWidth = 1;
    QList<qreal> dash;

    static DrawnShape fill(const QRectF& rect, qreal radius, const QColor& color) {
        return {rect, radius, color, Paint::Fill, 1, {}};
    }
    static DrawnShape stroke(const QRectF& rect, qreal radius, const QColor& color, qreal lineWidth,
                             QList<qreal> dash = {}) {
        return {rect, radius, color, Paint::Stroke, lineWidth, std::move(dash)};
    }

    bool operator==(const DrawnShape&) const = default;
};

// Paints the shapes in order on a view `height` points high, mirroring them into Qt's coordinates.
void paintDrawnShapes(QPainter& painter, const QList<DrawnShape>& shapes, qreal height);

}  // namespace kit
