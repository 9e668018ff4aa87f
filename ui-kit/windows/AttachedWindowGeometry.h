#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <optional>

// Where an attached window lies relative to its anchor point. Values outside 0 to 12 are accepted and
// behave like the automatic value given to setPoint(): the window's corner at the point, no arrow.
enum AttachedWindowSide : int {
    AttachedWindowSideLeft = 0,
    AttachedWindowSideBelow = 1,
    AttachedWindowSideRight = 2,
    AttachedWindowSideAbove = 3,
    AttachedWindowSideLeftUp = 4,
    AttachedWindowSideLeftDown = 5,
    AttachedWindowSideRightUp = 6,
    AttachedWindowSideRightDown = 7,
    AttachedWindowSideAboveLeft = 8,
    AttachedWindowSideAboveRight = 9,
    AttachedWindowSideBelowLeft = 10,
    AttachedWindowSideBelowRight = 11,
    AttachedWindowSideAutomatic = 12,
};

// The properties of an attached window that its geometry reads, in points.
namespace kit {

struct AttachedWindowStyle {
    float viewMargin = 2;
    float arrowBaseWidth = 0;
    float arrowHeight = 0;
    float cornerRadius = 0;
    bool hasArrow = false;
    bool drawsRoundCornerBesideArrow = true;
};

// The attached window's geometry as pure functions, in Cocoa coordinates (origin bottom left, y up):
// window frames and anchor points in screen coordinates, view frames and outlines in the window's own.
// `s` is the screen's user-space scale factor. Single-precision roundings happen where the window's own
// arithmetic has them, so the numbers match it exactly.
namespace attached {

enum class ArrowEdge { None, Right, Top, Left, Bottom };
ArrowEdge arrowEdge(int side);

// Distance from an edge's end to the arrow's axis for an arrow placed near that end.
float arrowInset(const AttachedWindowStyle& style, double s);

struct Layout {
    QRectF frame;      // the window, in screen coordinates
    QRectF viewFrame;  // the hosted view, in the window
};
// Room for an arrow is made on the arrow's side whether or not the arrow is drawn.
Layout layout(const QSizeF& viewSize, const QPointF& point, int side, float distance,
              const AttachedWindowStyle& style, double s);

// The side that keeps the window on the visible screen, preferring below, right, left and above, and
// centred on the point unless that reaches past `parentFrame` (the visible frame when there is none).
int bestSide(const QSizeF& viewSize, const QPointF& point, float distance, const AttachedWindowStyle& style,
             double s, const QRectF& visibleFrame, const std::optional<QRectF>& parentFrame);

// The body's edges, snapped to whole points one point inside the view frame grown by the margin; the
// middles are not snapped.
struct Outline {
    float minX = 0;
    float maxX = 0;
    float minY = 0;
    float maxY = 0;
    float midX = 0;
    float midY = 0;
};
Outline outline(const QRectF& viewFrame, float viewMargin, double s);

// Whether the corner at the end where `side` puts its arrow is drawn square.
struct SquareCorners {
    bool topLeft = false;
    bool topRight = false;
    bool bottomRight = false;
    bool bottomLeft = false;
};
SquareCorners squareCorners(int side, const AttachedWindowStyle& style, double s);

// Where the outline, running clockwise, starts the arrow on its edge (sides 0 to 11 only).
QPointF arrowStart(const Outline& edges, int side, const AttachedWindowStyle& style, double s);
// The arrow's tip and the end of its base, from its start on the edge.
std::array<QPointF, 2> arrowPoints(const QPointF& start, int side, const AttachedWindowStyle& style,
                                   double s);

// The body's outline: a rounded rectangle, with the arrow when the style has one.
QPainterPath backgroundPath(const QRectF& viewFrame, int side, const AttachedWindowStyle& style, double s);

// The setters' clamps. None of them returns a negative length.
float clampedBorderWidth(float value, float viewMargin);
float clampedCornerRadius(float value, const QRectF& viewFrame, const AttachedWindowStyle& style);
float clampedArrowBaseWidth(float value, const QRectF& viewFrame, const AttachedWindowStyle& style);

}  // namespace attached

}  // namespace kit
