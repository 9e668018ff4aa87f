#include "ui-kit/ButtonLabel.h"

#include "ui-kit/Labels.h"

#include <QLabel>
#include <QPalette>

namespace kit {

QLabel* makeButtonLabel(QWidget* button, const QRectF& frame, const QFont& font) {
    QLabel* label = makeLabel(button, {.alignment = Qt::AlignCenter, .clickThrough = true});
    label->setGeometry(frame.toRect());
    label->setFont(font);
    // Inside a button a label would take the button's text colour; its own colour is the one to use.
    label->setForegroundRole(QPalette::WindowText);
    label->show();
    return label;
}

void setButtonLabelColor(QLabel* label, const QColor& color) {
    if (!label || label->palette().color(QPalette::WindowText) == color) {
        return;
    }
    setTextColor(label, color);
}

}  // namespace kit
