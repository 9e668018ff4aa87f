#pragma once

#include <QColor>
#include <QRectF>

class QLabel;
class QWidget;

// The pieces the picker, the choosers and the file list are laid out from. Frames are in the parent's Cocoa
// coordinates (the parent must have its size already).
namespace sources {

// The kit's dark text colour, (79, 79, 98).
QColor textColor(double alpha = 1.0);
// A plain-text label in the system font of `pixelSize`, placed at the frame; it lets clicks through to the
// view below it.
QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, const QColor& color);

}  // namespace sources
