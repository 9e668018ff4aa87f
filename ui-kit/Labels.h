#pragma once

#include "ui-kit/Palette.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QLabel;
class QWidget;

// The kit's one way to make a label: plain text in the system font, laid out by a style. Frames are in the
// parent's Cocoa coordinates (the parent must have its size already).
namespace kit {

struct LabelStyle {
    int pixelSize = 13;
    bool bold = false;
    QColor color = darkText();
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool wordWrap = false;
    // The pointer passes through the label to the view below it (a drop area, a button, a hover area).
    bool clickThrough = false;
};

// The system font at a pixel size (an N-point font is N pixels here).
QFont systemFont(int pixelSize, bool bold = false);
void setTextColor(QWidget* widget, const QColor& color);

// A label of the style, not yet placed.
QLabel* makeLabel(QWidget* parent, const LabelStyle& style, const QString& text = QString());
// The same, placed at the frame.
QLabel* addLabel(QWidget* parent, const QRectF& frame, const LabelStyle& style,
                 const QString& text = QString());

}  // namespace kit
