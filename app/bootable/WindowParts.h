#pragma once

#include "ui-kit/CocoaGeometry.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class TCImageWindow;

// The pieces the Clone OS screen and its windows are built from. Frames are in the parent's Cocoa
// coordinates (the parent must have its size already).
namespace bootable {

// A clear window, movable by its background, with the dialogs' drawn title cap and body.
std::unique_ptr<TCImageWindow> makeDialogWindow(const QSizeF& contentSize);
// A centred, wrapping plain-text label in the kit's dark text colour.
QLabel* addDialogLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold);
// The window's close button does `action` instead of closing the window by itself.
void onCloseButton(TCImageWindow* window, std::function<void()> action);

// A usable four-image button of a family ("btn_sec", "btn_pri", …) with its title.
template <class Button>
Button* addFamilyButton(QWidget* parent, const QRectF& frame, const QString& family, const QString& title) {
    auto* button = new Button(parent);  // owned by the parent
    kit::setCocoaFrame(button, frame);
    button->setButtonEnabled(true);
    button->setImageFromFileNormalName(family, family + QStringLiteral("_press"),
                                       family + QStringLiteral("_hover"),
                                       family + QStringLiteral("_disable"));
    button->setTextWithName(title);
    return button;
}

}  // namespace bootable
