#include "ui-kit/controls/TextImageButton.h"

#include "ui-kit/ButtonLabel.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/getColor.h"

#include <QLabel>

namespace {

constexpr QLatin1String kMain("btn_main");
constexpr QLatin1String kTool("btn_tool");
constexpr QLatin1String kSec("btn_sec");

}  // namespace

TextImageButton::TextImageButton(QWidget* parent) : kit::ImageButtonBase(parent) {}

void TextImageButton::setImageFromFileNormalName(const QString& normal, const QString& active,
                                                 const QString& hover, const QString& disable) {
    loadImages(normal, active, hover, disable);
}

void TextImageButton::setTextWithName(const QString& title) {
    if (!textField_) {
        const QString family = normalImage_.name();
        textField_ = kit::makeButtonLabel(this, labelFrame(size(), family), labelFont(family));
    }
    textField_->setText(title);
    refresh();
}

QColor TextImageButton::startingColor(const QString& family) {
    if (family == QLatin1String("btn_cancel")) {
        return getColor(211, 211, 215, 1);
    }
    if (family == kTool) {
        return kit::darkText();
    }
    if (family == kSec) {
        return kit::blue();
    }
    return Qt::white;
}

QColor TextImageButton::labelColor(State state, const QString& family, const QString& disableName) {
    switch (state) {
        case State::Normal:
            break;
        case State::Pressed:
            if (family == kTool || family == kSec) {
                return getColor(59, 89, 233, 1);
            }
            break;
        case State::Hover:
            if (family == kTool) {
                return kit::blue();
            }
            if (family == kSec) {
                return getColor(98, 141, 255, 1);
            }
            break;
        case State::SwitchedOff:
            if (disableName == QLatin1String("btn_cancel_disable")) {
                return kit::greyText();
            }
            if (family == kTool) {
                return kit::greyText(0.8f);
            }
            return getColor(255, 255, 255, 0.64f);
    }
    return startingColor(family);
}

QRectF TextImageButton::labelFrame(const QSizeF& bounds, const QString& family) {
    const qreal height = family == kMain ? 20 : 17;
    const qreal lift = family == kTool ? 0 : 1;
    return {0, (bounds.height() - 17) / 2 - lift, bounds.width(), height};
}

QFont TextImageButton::labelFont(const QString& family) {
    if (family == kMain) {
        return kit::systemFont(14, true);
    }
    return kit::systemFont(family == kTool ? 12 : 13);
}

void TextImageButton::stateChanged() {
    kit::setButtonLabelColor(textField_, labelColor(state(), normalImage_.name(), disableImage_.name()));
}
