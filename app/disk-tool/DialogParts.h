#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QLabel;
class QWidget;
class TextImageButton;

// The pieces the Disk Tool's dialogs are laid out from. Frames are in the parent's Cocoa coordinates (the
// parent must have its size already).
namespace disktool {

// The kit's dark text colour, (79, 79, 98).
QColor textColor(double alpha = 1.0);

void setTextColor(QLabel* label, const QColor& color);
// A plain-text label in the system font of `pixelSize`, not yet placed.
QLabel* makeLabel(QWidget* parent, int pixelSize, const QColor& color, bool bold = false);
// The same, placed at the frame.
QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, const QColor& color, bool bold = false);

// A four-image button of the family ("btn_pri", "btn_sec", …) with its title, usable.
TextImageButton* addImageButton(QWidget* parent, const QRectF& frame, const QString& family,
                                const QString& title);

}  // namespace disktool
