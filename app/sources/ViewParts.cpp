#include "app/sources/ViewParts.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"

#include <QLabel>

namespace sources {

QColor textColor(double alpha) {
    return getColor(79, 79, 98, static_cast<float>(alpha));
}

void setTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, const QColor& color) {
    auto* label = new QLabel(parent);  // owned by the parent
    label->setTextFormat(Qt::PlainText);
    label->setFont(kit::systemFont(pixelSize));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextColor(label, color);
    kit::setCocoaFrame(label, frame);
    return label;
}

TextImageButton* addImageButton(QWidget* parent, const QRectF& frame, const QString& family,
                                const QString& title) {
    auto* button = new TextImageButton(parent);  // owned by the parent
    kit::setCocoaFrame(button, frame);
    button->setButtonEnabled(true);
    button->setImageFromFileNormalName(family, family + QStringLiteral("_press"),
                                       family + QStringLiteral("_hover"),
                                       family + QStringLiteral("_disable"));
    button->setTextWithName(title);
    return button;
}

}  // namespace sources
