#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QWidget;
class TCImageWindow;

// The pieces the screens' confirmation, progress and result windows are made from. Frames are in the
// parent's Cocoa coordinates (the parent must have its size already).
namespace sources {

// The system's title bar, or the slim one of 22 points with the buttons moved in and up.
enum class TitleBar { System, Slim };

// A clear window, movable by its background, with the dialogs' drawn title cap and body.
std::unique_ptr<TCImageWindow> makeDialogWindow(const QSizeF& contentSize,
                                                TitleBar titleBar = TitleBar::System);
// A centred, wrapping label in the kit's dark text colour (bold: the title; otherwise slightly lighter).
QLabel* addDialogLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold,
                       const QString& text = QString());
// The window's own close button runs `action` instead of closing the window.
void onCloseButton(TCImageWindow* window, std::function<void()> action);
// Closes the window and ends exactly its own modal run.
void closeModalWindow(TCImageWindow* window);

}  // namespace sources
