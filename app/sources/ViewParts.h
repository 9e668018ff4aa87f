#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QLabel;
class QWidget;
class TextImageButton;

// The pieces the picker, the choosers and the file list are laid out from. Frames are in the parent's Cocoa
// coordinates (the parent must have its size already).
namespace sources {

// The kit's dark text colour, (79, 79, 98).
QColor textColor(double alpha = 1.0);
void setTextColor(QLabel* label, const QColor& color);
// A plain-text label in the system font of `pixelSize`, placed at the frame; it lets clicks through to the
// view below it.
QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, const QColor& color);
// A four-image button of the family ("btn_pri", "btn_sec", …) with its title, usable.
TextImageButton* addImageButton(QWidget* parent, const QRectF& frame, const QString& family,
                                const QString& title);

}  // namespace sources
