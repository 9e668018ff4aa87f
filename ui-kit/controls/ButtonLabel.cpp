#include "ui-kit/controls/ButtonLabel.h"

#include <QLabel>
#include <QPalette>

namespace kit {

QLabel* makeButtonLabel(QWidget* button, const QRectF& frame, const QFont& font) {
    auto* label = new QLabel(button);  // owned by the button
    label->setGeometry(frame.toRect());
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    // Inside a button a label would take the button's text colour; its own colour is the one to use.
    label->setForegroundRole(QPalette::WindowText);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->show();
    return label;
}

void setButtonLabelColor(QLabel* label, const QColor& color) {
    if (!label || label->palette().color(QPalette::WindowText) == color) {
        return;
    }
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QFont systemFont(int pixelSize, bool bold) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace kit
