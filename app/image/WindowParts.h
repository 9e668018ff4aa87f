#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QWidget;
class TCImageWindow;

// The pieces the confirmation, progress and result windows of an image or archive job are made from.
namespace image {

// A clear window that moves by its background, `contentSize` below a 22-point title bar that holds the white
// cap, its content view painted as the kit's dialog background.
std::unique_ptr<TCImageWindow> makeDialogWindow(const QSizeF& contentSize);
// A centred, wrapping label in the kit's dark text colour (bold: the title; otherwise slightly lighter).
QLabel* addCentredLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold, const QString& text);
// The window's own close button runs `action` instead of closing the window.
void setCloseAction(TCImageWindow* window, std::function<void()> action);

// A four-image button of the family ("btn_sec", …) with its title, usable. Works for the kit's text and
// cancel buttons alike.
template <typename Button>
void setButtonFamily(Button* button, const QString& family, const QString& title) {
    button->setButtonEnabled(true);
    button->setImageFromFileNormalName(family, family + QStringLiteral("_press"),
                                       family + QStringLiteral("_hover"),
                                       family + QStringLiteral("_disable"));
    button->setTextWithName(title);
}

}  // namespace image
