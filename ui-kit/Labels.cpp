#include "ui-kit/Labels.h"

#include "ui-kit/CocoaGeometry.h"

#include <QLabel>
#include <QPalette>

namespace kit {

QFont systemFont(int pixelSize, bool bold) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QLabel* makeLabel(QWidget* parent, const LabelStyle& style, const QString& text) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(systemFont(style.pixelSize, style.bold));
    setTextColor(label, style.color);
    label->setAlignment(style.alignment);
    label->setWordWrap(style.wordWrap);
    label->setAttribute(Qt::WA_TransparentForMouseEvents, style.clickThrough);
    label->setText(text);
    return label;
}

QLabel* addLabel(QWidget* parent, const QRectF& frame, const LabelStyle& style, const QString& text) {
    QLabel* label = makeLabel(parent, style, text);
    setCocoaFrame(label, frame);
    return label;
}

}  // namespace kit
