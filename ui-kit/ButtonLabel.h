#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>

class QLabel;
class QWidget;

namespace kit {

// The title label that the kit's buttons lay over their image: centred plain text, no border, nothing
// painted behind it, and transparent to the mouse so that a click on the title is a click on the button.
QLabel* makeButtonLabel(QWidget* button, const QRectF& frame, const QFont& font);
void setButtonLabelColor(QLabel* label, const QColor& color);

}  // namespace kit
