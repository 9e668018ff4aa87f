#include "ui-kit/windows/AttachedWindowGeometry.h"

#include "ui-kit/CocoaGeometry.h"

#include <algorithm>
#include <cmath>

namespace kit::attached {

namespace {

float single(double value) {
    return static_cast<float>(value);
}

double shortSide(const QRectF& rect) {
    return std::min(rect.width(), rect.height());
}

// A QRectF holding Cocoa coordinates: its top() is the smallest y.
double minY(const QRectF& rect) {
    return rect.top();
}
double maxY(const QRectF& rect) {
    return rect.bottom();
}

}  // namespace

ArrowEdge arrowEdge(int side) {
    switch (side) {
        case AttachedWindowSideLeft:
        case AttachedWindowSideLeftUp:
        case AttachedWindowSideLeftDown:
            return ArrowEdge::Right;
        case AttachedWindowSideBelow:
        case AttachedWindowSideBelowLeft:
        case AttachedWindowSideBelowRight:
            return ArrowEdge::Top;
        case AttachedWindowSideRight:
        case AttachedWindowSideRightUp:
        case AttachedWindowSideRightDown:
            return ArrowEdge::Left;
        case AttachedWindowSideAbove:
        case AttachedWindowSideAboveLeft:
        case AttachedWindowSideAboveRight:
            return ArrowEdge::Bottom;
        default:
            return ArrowEdge::None;
    }
}

float arrowInset(const AttachedWindowStyle& style, double s) {
    const double corner = style.drawsRoundCornerBesideArrow ? style.cornerRadius : 0.0;
    return single(s * (style.arrowBaseWidth * 0.5 + corner));
}

Layout layout(const QSizeF& viewSize, const QPointF& point, int side, float distance,
              const AttachedWindowStyle& style, double s) {
    const double margin = style.viewMargin * s;
    const double arrowHeight = single(style.arrowHeight * s);
    QRectF view(margin, margin, viewSize.width(), viewSize.height());
    double w = viewSize.width() + 2 * margin;
    double h = viewSize.height() + 2 * margin;
    switch (arrowEdge(side)) {
        case ArrowEdge::Right:
            w += arrowHeight;
            break;
        case ArrowEdge::Top:
            h += arrowHeight;
            break;
        case ArrowEdge::Left:
            w += arrowHeight;
            view.moveLeft(view.x() + arrowHeight);
            break;
        case ArrowEdge::Bottom:
            h += arrowHeight;
            view.moveTop(view.y() + arrowHeight);
            break;
        case ArrowEdge::None:
            break;
    }

    const double inset = arrowInset(style, s);
    const double halfW = single(w * 0.5);
    const double halfH = single(h * 0.5);
    const double d = distance;
    const double px = point.x();
    const double py = point.y();
    QPointF origin = point;
    switch (side) {
        case AttachedWindowSideLeft:
            origin = {px - w - d, py - halfH};
            break;
        case AttachedWindowSideLeftUp:
            origin = {px - w - d, py - inset};
            break;
        case AttachedWindowSideLeftDown:
            origin = {px - w - d, py - (h - inset)};
            break;
        case AttachedWindowSideRight:
            origin = {px + d, py - halfH};
            break;
        case AttachedWindowSideRightUp:
            origin = {px + d, py - inset};
            break;
        case AttachedWindowSideRightDown:
            origin = {px + d, py - h + inset};
            break;
        case AttachedWindowSideBelow:
            origin = {px - halfW, py - h - d};
            break;
        case AttachedWindowSideBelowLeft:
            origin = {px - (w - inset), py - h - d};
            break;
        case AttachedWindowSideBelowRight:
            origin = {px - inset, py - h - d};
            break;
        case AttachedWindowSideAbove:
            origin = {px - halfW, py + d};
            break;
        case AttachedWindowSideAboveLeft:
            origin = {px - (w - inset), py + d};
            break;
        case AttachedWindowSideAboveRight:
            origin = {px - inset, py + d};
            break;
        default:
            break;
    }
    return {QRectF(origin, QSizeF(w, h)), view};
}

int bestSide(const QSizeF& viewSize, const QPointF& point, float distance, const AttachedWindowStyle& style,
             double s, const QRectF& visibleFrame, const std::optional<QRectF>& parentFrame) {
    const QRectF& v = visibleFrame;
    const double w = viewSize.width() + 2 * style.viewMargin * s;
    const double h = viewSize.height() + 2 * style.viewMargin * s;
    const double d = single(distance + style.arrowHeight * s);
    const double px = point.x();
    const double py = point.y();

    int side = AttachedWindowSideBelow;
    if (minY(v) <= py - h - d) {
        side = AttachedWindowSideBelow;
    } else if (px + w + d < v.right()) {
        side = AttachedWindowSideRight;
    } else if (v.left() <= px - w - d) {
        side = AttachedWindowSideLeft;
    } else if (maxY(v) > py + h + d) {
        side = AttachedWindowSideAbove;
    }

    const QRectF r = parentFrame.value_or(v);
    const double inset = arrowInset(style, s);
    if (side == AttachedWindowSideLeft || side == AttachedWindowSideRight) {
        const double halfH = single(h * 0.5);
        const bool left = side == AttachedWindowSideLeft;
        if (minY(r) > py - halfH) {
            if (maxY(v) > py + h - inset) {
                side = left ? AttachedWindowSideLeftUp : AttachedWindowSideRightUp;
            }
        } else if (py + halfH >= maxY(r)) {
            if (py - h + inset >= minY(v)) {
                side = left ? AttachedWindowSideLeftDown : AttachedWindowSideRightDown;
            }
        }
    } else {
        const double halfW = single(w * 0.5);
        const bool below = side == AttachedWindowSideBelow;
        if (r.left() > px - halfW) {
            if (v.right() > px + w - inset) {
                side = below ? AttachedWindowSideBelowRight : AttachedWindowSideAboveRight;
            }
        } else if (px + halfW >= r.right()) {
            if (px - w + inset >= v.left()) {
                side = below ? AttachedWindowSideBelowLeft : AttachedWindowSideAboveLeft;
            }
        }
    }
    return side;
}

Outline outline(const QRectF& viewFrame, float viewMargin, double s) {
    const QRectF c = insetRect(viewFrame, -viewMargin * s, -viewMargin * s);
    Outline edges;
    edges.minX = std::ceil(single(c.left() * s + 0.5));
    edges.maxX = std::floor(single(c.right() * s - 0.5));
    edges.minY = std::ceil(single(minY(c) * s + 0.5));
    edges.maxY = std::floor(single(maxY(c) * s - 0.5));
    edges.midX = single(c.center().x() * s);
    edges.midY = single(c.center().y() * s);
    return edges;
}

SquareCorners squareCorners(int side, const AttachedWindowStyle& style, double s) {
    if (single(style.cornerRadius * s) <= 0) {
        return {true, true, true, true};
    }
    if (style.drawsRoundCornerBesideArrow) {
        return {};
    }
    SquareCorners square;
    square.topLeft = side == AttachedWindowSideRightDown || side == AttachedWindowSideBelowRight;
    square.topRight = side == AttachedWindowSideLeftDown || side == AttachedWindowSideBelowLeft;
    square.bottomRight = side == AttachedWindowSideLeftUp || side == AttachedWindowSideAboveLeft;
    square.bottomLeft = side == AttachedWindowSideRightUp || side == AttachedWindowSideAboveRight;
    return square;
}

QPointF arrowStart(const Outline& e, int side, const AttachedWindowStyle& style, double s) {
    const double r = single(style.cornerRadius * s);
    const double b = single(style.arrowBaseWidth * s);
    const double hb = single(b * 0.5);
    const SquareCorners square = squareCorners(side, style, s);
    const double startX = square.topLeft ? e.minX : e.minX + r;  // top edge, after the top-left corner
    const double endX = square.topRight ? e.maxX : e.maxX - r;   // top edge, before the top-right corner
    const double topY = square.topRight ? e.maxY : e.maxY - r;   // right edge, after the top-right corner
    const double bottomY = square.bottomRight ? e.minY : e.minY + r;  // right edge, before the bottom-right
    const double rightX = square.bottomRight ? e.maxX : e.maxX - r;   // bottom edge, after the bottom-right
    const double leftX = square.bottomLeft ? e.minX : e.minX + r;     // bottom edge, before the bottom-left
    const double lowY = square.bottomLeft ? e.minY : e.minY + r;      // left edge, after the bottom-left
    const double highY = square.topLeft ? e.maxY : e.maxY - r;        // left edge, before the top-left
    switch (side) {
        case AttachedWindowSideBelowRight:
            return {startX, e.maxY};
        case AttachedWindowSideBelowLeft:
            return {endX - b, e.maxY};
        case AttachedWindowSideBelow:
            return {e.midX - hb, e.maxY};
        case AttachedWindowSideLeftDown:
            return {e.maxX, topY};
        case AttachedWindowSideLeftUp:
            return {e.maxX, bottomY + b};
        case AttachedWindowSideLeft:
            return {e.maxX, e.midY + hb};
        case AttachedWindowSideAboveRight:
            return {leftX + b, e.minY};
        case AttachedWindowSideAboveLeft:
            return {rightX, e.minY};
        case AttachedWindowSideAbove:
            return {e.midX + hb, e.minY};
        case AttachedWindowSideRightDown:
            return {e.minX, highY - b};
        case AttachedWindowSideRightUp:
            return {e.minX, lowY};
        case AttachedWindowSideRight:
            return {e.minX, e.midY - hb};
        default:
            return {};
    }
}

std::array<QPointF, 2> arrowPoints(const QPointF& start, int side, const AttachedWindowStyle& style,
                                   double s) {
    const double h = single(style.arrowHeight * s);
    const double b = single(style.arrowBaseWidth * s);
    const double x = start.x();
    const double y = start.y();
    switch (arrowEdge(side)) {
        case ArrowEdge::Right:  // the outline runs down this edge
            return {QPointF(x + h, y - b / 2), QPointF(x, y - b)};
        case ArrowEdge::Top:  // runs right
            return {QPointF(x + b / 2, y + h), QPointF(x + b, y)};
        case ArrowEdge::Left:  // runs up
            return {QPointF(x - h, y + b / 2), QPointF(x, y + b)};
        case ArrowEdge::Bottom:  // runs left
            return {QPointF(x - b / 2, y - h), QPointF(x - b, y)};
        case ArrowEdge::None:
            break;
    }
    return {start, start};
}

QPainterPath backgroundPath(const QRectF& viewFrame, int side, const AttachedWindowStyle& style, double s) {
    const Outline e = outline(viewFrame, style.viewMargin, s);
    const double r = single(style.cornerRadius * s);
    const SquareCorners square = squareCorners(side, style, s);
    const ArrowEdge edge = arrowEdge(side);

    QPainterPath path;
    const auto arrowOn = [&](ArrowEdge here) {
        if (edge != here || !style.hasArrow) {
            return;
        }
        const QPointF start = arrowStart(e, side, style, s);
        if (path.currentPosition() != start) {
            path.lineTo(start);
        }
        const std::array<QPointF, 2> points = arrowPoints(start, side, style, s);
        path.lineTo(points[0]);
        path.lineTo(points[1]);
    };

    // Clockwise from the top-left corner; the corners' arcs run clockwise too (negative sweeps, y up).
    path.moveTo(square.topLeft ? e.minX : e.minX + r, e.maxY);
    arrowOn(ArrowEdge::Top);
    path.lineTo(square.topRight ? e.maxX : e.maxX - r, e.maxY);
    if (!square.topRight) {
        kit::cocoaArc(path, QPointF(e.maxX - r, e.maxY - r), r, 90, 0);
    }
    arrowOn(ArrowEdge::Right);
    path.lineTo(e.maxX, square.bottomRight ? e.minY : e.minY + r);
    if (!square.bottomRight) {
        kit::cocoaArc(path, QPointF(e.maxX - r, e.minY + r), r, 0, -90);
    }
    arrowOn(ArrowEdge::Bottom);
    path.lineTo(square.bottomLeft ? e.minX : e.minX + r, e.minY);
    if (!square.bottomLeft) {
        kit::cocoaArc(path, QPointF(e.minX + r, e.minY + r), r, -90, -180);
    }
    arrowOn(ArrowEdge::Left);
    path.lineTo(e.minX, square.topLeft ? e.maxY : e.maxY - r);
    if (!square.topLeft) {
        kit::cocoaArc(path, QPointF(e.minX + r, e.maxY - r), r, 180, 90);
    }
    path.closeSubpath();
    return path;
}

float clampedBorderWidth(float value, float viewMargin) {
    return std::max(0.0f, std::min(value, viewMargin));
}

float clampedCornerRadius(float value, const QRectF& viewFrame, const AttachedWindowStyle& style) {
    const double limit = (2.0 * style.viewMargin + shortSide(viewFrame) - style.arrowBaseWidth) * 0.5;
    return std::max(0.0f, single(std::min<double>(value, limit)));
}

float clampedArrowBaseWidth(float value, const QRectF& viewFrame, const AttachedWindowStyle& style) {
    double limit = 2.0 * style.viewMargin + shortSide(viewFrame) - style.cornerRadius;
    if (style.drawsRoundCornerBesideArrow) {
        limit -= style.cornerRadius;
    }
    return std::max(0.0f, single(std::min<double>(value, limit)));
}

}  // namespace kit::attached
