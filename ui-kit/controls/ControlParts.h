#pragma once

#include "ui-kit/CocoaGeometry.h"

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

// Makes a four-image button (the kit's text and cancel buttons alike) one of the family ("btn_pri",
// "btn_sec", …) with its title, usable.
template <class Button>
void setButtonFamily(Button* button, const QString& family, const QString& title) {
    button->setButtonEnabled(true);
    button->setImageFromFileNormalName(family, family + QStringLiteral("_press"),
                                       family + QStringLiteral("_hover"),
                                       family + QStringLiteral("_disable"));
    button->setTextWithName(title);
}

// A new button of the family with its title, usable, placed at the frame.
template <class Button>
Button* addFamilyButton(QWidget* parent, const QRectF& frame, const QString& family, const QString& title) {
    auto* button = new Button(parent);  // owned by the parent
    setCocoaFrame(button, frame);
    setButtonFamily(button, family, title);
    return button;
}

TextImageButton* addImageButton(QWidget* parent, const QRectF& frame, const QString& family,
                                const QString& title);

}  // namespace kit
