#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <functional>

class QFont;
class QLabel;
class QWidget;

// The pieces the Disk Tool's dialogs are laid out from. Frames are in the parent's Cocoa coordinates (the
// parent must have its size already).
namespace disktool {

// The kit's dark text colour, (79, 79, 98).
QColor textColor(double alpha = 1.0);

// A plain-text label in the system font of `pixelSize`, not yet placed.
QLabel* makeLabel(QWidget* parent, int pixelSize, const QColor& color, bool bold = false);
// The same, placed at the frame.
QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, const QColor& color, bool bold = false);

// A volume name for a dialog or a message: elided in the middle to at most `width` points of `font`, so a
// long name is shortened, never clipped.
QString elidedName(const QString& name, const QFont& font, int width);
// The label shows `pattern` with the name elided to fit: on one line with the rest of the text, or, in a
// label that wraps, within one line of its own.
void showWithName(QLabel* label, const QString& pattern, const QString& name);
// The same in the messages' font and a width that leaves room for the rest of a message.
QString elidedName(const QString& name);
// Escape does what the dialog's cancel button does, while its window is the active one.
void onEscape(QWidget* dialog, const std::function<void()>& cancel);

}  // namespace disktool
