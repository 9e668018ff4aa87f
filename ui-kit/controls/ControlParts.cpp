#include "ui-kit/controls/ControlParts.h"

#include "ui-kit/controls/TextImageButton.h"

#include <QLabel>

namespace kit {

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QLabel* makeLabel(QWidget* parent, const QFont& font, const QColor& color) {
    auto* label = new QLabel(parent);  // owned by the parent
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    setTextColor(label, color);
    return label;
}

QLabel* addLabel(QWidget* parent, const QRectF& frame, const QFont& font, const QColor& color) {
    QLabel* label = makeLabel(parent, font, color);
    setCocoaFrame(label, frame);
    return label;
}

TextImageButton* addImageButton(QWidget* parent, const QRectF& frame, const QString& family,
                                const QString& title) {
    return addFamilyButton<TextImageButton>(parent, frame, family, title);
}

}  // namespace kit
