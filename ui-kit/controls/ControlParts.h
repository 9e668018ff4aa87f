#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QFont;
class QLabel;
class QWidget;
class TextImageButton;

// The pieces that screens and dialogs lay themselves out from. Frames are in the parent's Cocoa coordinates
// (the parent must have its size already).
namespace kit {

void setTextColor(QWidget* widget, const QColor& color);
// A plain-text label in `font` and `color`, not yet placed.
QLabel* makeLabel(QWidget* parent, const QFont& font, const QColor& color);
// The same, placed at the frame.
QLabel* addLabel(QWidget* parent, const QRectF& frame, const QFont& font, const QColor& color);
// A four-image button of the family ("btn_pri", "btn_sec", …) with its title, usable.
TextImageButton* addImageButton(QWidget* parent, const QRectF& frame, const QString& family,
                                const QString& title);

}  // namespace kit
