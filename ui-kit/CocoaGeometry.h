#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QWidget;

// The kit keeps every documented number in Cocoa coordinates (origin bottom left, y up) and converts once,
// where a widget is placed or painted:
//
//     Cocoa                           Qt
//     y ^                             +------------> x
//       |   +-----+  y+h              |   +-----+  parentHeight - (y+h)
//       |   |     |                   |   |     |
//       |   +-----+  y                |   +-----+  parentHeight - y
//       +------------> x            y v
//
// A rectangle keeps its x, width and height; only its vertical position is mirrored in the parent. The
// mirror is its own inverse, so the same call converts back.
namespace kit {

QRectF cocoaRect(const QRectF& rect, qreal parentHeight);
QPointF cocoaPoint(const QPointF& point, qreal parentHeight);

// Cocoa screen coordinates start at the bottom left of the primary screen: window frames and anchor points
// in screen coordinates mirror in its height.
qreal primaryScreenHeight();

// A path drawn in Cocoa coordinates, mirrored into a view `height` points high. Build Cocoa arcs with
// cocoaArc: Qt's arc angles run the other way.
QPainterPath cocoaPath(const QPainterPath& path, qreal height);
// Appends an arc around `center` from `startDegrees` to `endDegrees`, angles counted as Cocoa counts them
// (anticlockwise with y up); a negative sweep runs clockwise.
void cocoaArc(QPainterPath& path, const QPointF& center, qreal radius, qreal startDegrees, qreal endDegrees);

// NSInsetRect: shrinks by dx on the left and right and by dy at the top and bottom (negative grows).
QRectF insetRect(const QRectF& rect, qreal dx, qreal dy);

// Places `view` at a frame given in its parent's Cocoa coordinates (the parent's current height); a window
// without a parent is placed in screen coordinates.
void setCocoaFrame(QWidget* view, const QRectF& frame);

}  // namespace kit
