#include "ui-kit/windows/PopoverGeometry.h"

#include "ui-kit/CocoaGeometry.h"

#include <array>
#include <cmath>

namespace kit::popover {

namespace {

// The arc centres' bounds and middle, in Cocoa coordinates (a QRectF's top() is its smallest y).
struct Edges {
    double minX;
    double minY;
    double maxX;
    double maxY;
    double midX;
    double midY;
};

// The rect shrunk by the arrow's length and the corner radius.
Edges arcCentres(const QRectF& rect, double cornerRadius, double arrowLength) {
    const QRectF inner = insetRect(rect, arrowLength + cornerRadius, arrowLength + cornerRadius);
    return {inner.left(), inner.top(), inner.right(), inner.bottom(), inner.center().x(), inner.center().y()};
}

// The arrow's three points, from the outline's way into it to its way out (the outline runs anticlockwise).
std::array<QPointF, 3> arrowPoints(const Edges& e, int direction, double r, const QSizeF& arrowSize) {
    const double b = arrowSize.width();
    const double l = arrowSize.height();
    switch (direction) {
        case QNPopoverArrowDirectionBottom:
            return {QPointF(std::floor(e.midX - b / 2), e.minY - r),
                    QPointF(std::floor(e.midX), e.minY - r - l),
                    QPointF(std::floor(e.midX + b / 2), e.minY - r)};
        case QNPopoverArrowDirectionRight:
            return {QPointF(e.maxX + r, std::floor(e.midY - b / 2)),
                    QPointF(e.maxX + r + l, std::floor(e.midY)),
                    QPointF(e.maxX + r, std::floor(e.midY + b / 2))};
        case QNPopoverArrowDirectionTop:
            return {QPointF(std::floor(e.midX + b / 2), e.maxY + r),
                    QPointF(std::floor(e.midX), e.maxY + r + l),
                    QPointF(std::floor(e.midX - b / 2), e.maxY + r)};
        case QNPopoverArrowDirectionLeft:
            return {QPointF(e.minX - r, std::floor(e.midY + b / 2)),
                    QPointF(e.minX - r - l, std::floor(e.midY)),
                    QPointF(e.minX - r, std::floor(e.midY - b / 2))};
        default:
            return {};
    }
}

void appendArrow(QPainterPath& path, const Edges& e, int direction, int edge, double r, const QSizeF& arrow) {
    if (direction != edge) {
        return;
    }
    for (const QPointF& point : arrowPoints(e, direction, r, arrow)) {
        path.lineTo(point);
    }
}

bool fits(const QRectF& screen, const QRectF& frame) {
    return !frame.isEmpty() && screen.contains(frame);
}

}  // namespace

QRectF frameRectForContentRect(const QRectF& content, double arrowLength) {
    return insetRect(content, -arrowLength, -arrowLength);
}

QRectF contentRectForFrameRect(const QRectF& frame, double arrowLength) {
    return insetRect(QRectF(QPointF(0, 0), frame.size()), arrowLength, arrowLength);
}

QRectF popoverFrame(const QRectF& anchor, const QSizeF& contentSize, int direction, double arrowLength) {
    const QSizeF size = frameRectForContentRect(QRectF(QPointF(), contentSize), arrowLength).size();
    const double fw = size.width();
    const double fh = size.height();
    const double sx = anchor.x();
    const double sy = anchor.y();
    const double sw = anchor.width();
    const double sh = anchor.height();
    switch (direction) {
        case QNPopoverArrowDirectionLeft:
            return {sx + sw, sy + sh * 0.5 - std::floor(fh * 0.5), fw, fh};
        case QNPopoverArrowDirectionRight:
            return {sx - fw, sy + sh * 0.5 - std::floor(fh * 0.5), fw, fh};
        case QNPopoverArrowDirectionTop:
            // Below the anchor, ten points right of its centre.
            return {sx + sw * 0.5 - std::floor(fw * 0.5) + 10, sy - fh, fw, fh};
        case QNPopoverArrowDirectionBottom:
            return {sx + sw * 0.5 - std::floor(fw * 0.5), sy + sh, fw, fh};
        default:
            return {};
    }
}

int oppositeDirection(int direction) {
    switch (direction) {
        case QNPopoverArrowDirectionLeft:
            return QNPopoverArrowDirectionRight;
        case QNPopoverArrowDirectionRight:
            return QNPopoverArrowDirectionLeft;
        case QNPopoverArrowDirectionTop:
            return QNPopoverArrowDirectionBottom;
        case QNPopoverArrowDirectionBottom:
            return QNPopoverArrowDirectionTop;
        default:
            return QNPopoverArrowDirectionNone;
    }
}

int chooseDirection(int preferred, const QRectF& anchor, const QSizeF& contentSize, double arrowLength,
                    const QRectF& screen) {
    const auto fitsWith = [&](int direction) {
        return fits(screen, popoverFrame(anchor, contentSize, direction, arrowLength));
    };
    if (fitsWith(preferred)) {
        return preferred;
    }
    if (const int opposite = oppositeDirection(preferred); fitsWith(opposite)) {
        return opposite;
    }
    if (preferred >= QNPopoverArrowDirectionLeft && preferred <= QNPopoverArrowDirectionBottom) {
        // Room below and above the anchor on its own screen, which need not start at y 0.
        const double below = anchor.y() - screen.y();
        const double above = screen.y() + screen.height() - (anchor.y() + anchor.height());
        const int vertical = below > above ? QNPopoverArrowDirectionTop : QNPopoverArrowDirectionBottom;
        if (fitsWith(vertical)) {
            return vertical;
        }
    }
    return preferred;
}

QRectF outlineRect(const QRectF& bounds, double borderWidth) {
    if (static_cast<long long>(borderWidth) % 2 != 0) {
        return insetRect(bounds, 0.5, 0.5);
    }
    return bounds;
}

QPainterPath outlinePath(const QRectF& rect, int direction, double cornerRadius, const QSizeF& arrowSize) {
    const double r = cornerRadius;
    const Edges e = arcCentres(rect, r, arrowSize.height());
    QPainterPath path;
    path.moveTo(e.minX - r, e.minY);
    cocoaArc(path, {e.minX, e.minY}, r, 180, 270);
    appendArrow(path, e, direction, QNPopoverArrowDirectionBottom, r, arrowSize);
    cocoaArc(path, {e.maxX, e.minY}, r, 270, 360);
    appendArrow(path, e, direction, QNPopoverArrowDirectionRight, r, arrowSize);
    cocoaArc(path, {e.maxX, e.maxY}, r, 0, 90);
    appendArrow(path, e, direction, QNPopoverArrowDirectionTop, r, arrowSize);
    cocoaArc(path, {e.minX, e.maxY}, r, 90, 180);
    appendArrow(path, e, direction, QNPopoverArrowDirectionLeft, r, arrowSize);
    path.closeSubpath();
    return path;
}

QPointF arrowTip(const QRectF& rect, int direction, double cornerRadius, const QSizeF& arrowSize) {
    const Edges e = arcCentres(rect, cornerRadius, arrowSize.height());
    if (direction < QNPopoverArrowDirectionLeft || direction > QNPopoverArrowDirectionBottom) {
        return {e.midX, e.midY};
    }
    return arrowPoints(e, direction, cornerRadius, arrowSize)[1];
}

QList<QRectF> topHighlightRects(const QRectF& bounds, int direction, double cornerRadius,
                                const QSizeF& arrowSize, double borderWidth) {
    const QRectF body = insetRect(bounds, arrowSize.height(), arrowSize.height());
    const double start = std::floor(body.x() + cornerRadius * 0.5);
    const double y = body.y() + body.height() - borderWidth - 1;
    const double width = body.width() - cornerRadius;
    if (direction != QNPopoverArrowDirectionTop) {
        return {QRectF(start, y, width, 1)};
    }
    const double piece = std::floor(width * 0.5 - arrowSize.width() * 0.5);
    return {QRectF(start, y, piece, 1),
            QRectF(std::floor(width * 0.5 + start + arrowSize.width() * 0.5), y, piece, 1)};
}

}  // namespace kit::popover
