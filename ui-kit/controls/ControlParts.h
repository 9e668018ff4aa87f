#pragma once

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QRectF>
#include <QString>

class QWidget;

// The kit's one way to make an image button. Frames are in the parent's Cocoa coordinates (the parent must
// have its size already).
namespace kit {

// The switched-off image of a family: "btn_tool" is its own, the others have base + "_disable".
inline QString switchedOffImage(const QString& family) {
    return family == QLatin1String("btn_tool") ? family : family + QStringLiteral("_disable");
}

// Makes a four-image button (the kit's text and cancel buttons alike) one of the family ("btn_pri",
// "btn_sec", "btn_tool", …) with its title, usable.
template <class Button>
void setButtonFamily(Button* button, const QString& family, const QString& title) {
    button->setButtonEnabled(true);
    button->setImageFromFileNormalName(family, family + QStringLiteral("_press"),
                                       family + QStringLiteral("_hover"), switchedOffImage(family));
    button->setTextWithName(title);
}

// A new button of the family with its title, usable, placed at the frame.
template <class Button = TextImageButton>
Button* addImageButton(QWidget* parent, const QRectF& frame, const QString& family, const QString& title) {
    auto* button = new Button(parent);
    setCocoaFrame(button, frame);
    setButtonFamily(button, family, title);
    return button;
}

}  // namespace kit
