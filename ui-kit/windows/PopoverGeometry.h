#pragma once

#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>

// The edge of the popover's body that carries the arrow; the popover lies on the other side of its anchor.
enum QNPopoverArrowDirection : int {
    QNPopoverArrowDirectionNone = 0,    // closed: placed nowhere
    QNPopoverArrowDirectionLeft = 1,    // right of the anchor
    QNPopoverArrowDirectionRight = 2,   // left of the anchor
    QNPopoverArrowDirectionTop = 3,     // below the anchor
    QNPopoverArrowDirectionBottom = 4,  // above the anchor
};

namespace kit {

// The popover's placement and outline as pure functions in Cocoa coordinates (origin bottom left, y up):
// anchor rectangles, panel frames and screen frames in screen coordinates, outlines in the panel's own.
// The panel is its content grown on every side by the arrow's length; the arrow lies in that margin.
namespace popover {

QRectF frameRectForContentRect(const QRectF& content, double arrowLength);
// The content rectangle inside a panel frame, in the panel's own coordinates.
QRectF contentRectForFrameRect(const QRectF& frame, double arrowLength);

// The panel's frame beside `anchor` for a content size; the null rectangle for no direction.
QRectF popoverFrame(const QRectF& anchor, const QSizeF& contentSize, int direction, double arrowLength);

int oppositeDirection(int direction);

// The preferred direction when its panel fits on `screen`, else the opposite one, else below or above
// (where there is more room on that screen), else the preferred one anyway.
int chooseDirection(int preferred, const QRectF& anchor, const QSizeF& contentSize, double arrowLength,
                    const QRectF& screen);

// The rectangle the outline is built on: the bounds, moved half a point in for an odd border width so
// that the stroke covers whole pixels.
QRectF outlineRect(const QRectF& bounds, double borderWidth);

// The rounded body with the arrow on the `direction` edge; `arrowSize` is the arrow's base by its length.
QPainterPath outlinePath(const QRectF& rect, int direction, double cornerRadius, const QSizeF& arrowSize);
// The arrow's tip on that outline (the rect's centre for no direction).
QPointF arrowTip(const QRectF& rect, int direction, double cornerRadius, const QSizeF& arrowSize);

// The one-point highlight under the body's top edge, split around an arrow on the top edge.
QList<QRectF> topHighlightRects(const QRectF& bounds, int direction, double cornerRadius,
                                const QSizeF& arrowSize, double borderWidth);

}  // namespace popover

}  // namespace kit
