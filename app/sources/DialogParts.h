#pragma once

#include "ui-kit/Labels.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QFont;
class QLabel;
class QWidget;
class TCImageWindow;

// The pieces the program's dialogs are made from: the job screens' confirmation, progress and result
// windows and the Disk Tool's dialogs. Frames are in the parent's Cocoa coordinates (the parent must have
// its size already).
namespace sources {

// The system's title bar, or the slim one of 22 points with the buttons moved in and up.
enum class TitleBar { System, Slim };

// A clear window, movable by its background, with the dialogs' drawn title cap and body.
std::unique_ptr<TCImageWindow> makeDialogWindow(const QSizeF& contentSize,
                                                TitleBar titleBar = TitleBar::System);
// A dialog's centred, wrapping text in the kit's dark text colour (bold: the title; otherwise slightly
// lighter); the pointer passes through it.
kit::LabelStyle dialogText(int pixelSize, bool bold = false);
// The window's own close button runs `action` instead of closing the window.
void onCloseButton(TCImageWindow* window, std::function<void()> action);
// Closes the window and ends exactly its own modal run.
void closeModalWindow(TCImageWindow* window);

// A volume name for a dialog or a message: elided in the middle to at most `width` points of `font` (by
// default the messages' font and a width that leaves room for the rest of a message), so a long name is
// shortened, never clipped.
QString elidedName(const QString& name, const QFont& font = kit::systemFont(13), int width = 200);
// The label shows `pattern` with the name elided to fit: on one line with the rest of the text, or, in a
// label that wraps, within one line of its own.
void showWithName(QLabel* label, const QString& pattern, const QString& name);

}  // namespace sources
