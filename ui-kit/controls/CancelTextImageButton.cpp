#include "ui-kit/controls/CancelTextImageButton.h"

#include "ui-kit/ButtonLabel.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/getColor.h"

#include <QLabel>

CancelTextImageButton::CancelTextImageButton(QWidget* parent) : kit::ImageButtonBase(parent) {}

void CancelTextImageButton::setImageFromFileNormalName(const QString& normal, const QString& active,
                                                       const QString& hover, const QString& disable) {
    loadImages(normal, active, hover, disable);
}

void CancelTextImageButton::setTextWithName(const QString& title) {
    // One label per button: a second call moves and retitles it instead of stacking a second title on it.
    if (!textField_) {
        textField_ = kit::makeButtonLabel(this, labelFrame(size()), kit::systemFont(13));
    }
    textField_->setGeometry(labelFrame(size()).toRect());
    textField_->setText(title);
    refresh();
}

QColor CancelTextImageButton::labelColor(State state, bool stateImageMissing) {
    switch (state) {
        case State::Pressed:
        case State::Hover:
            return stateImageMissing ? kit::blue() : getColor(77, 151, 252, 1);
        case State::SwitchedOff:
            return kit::greyText();
        case State::Normal:
            break;
    }
    return kit::blue();
}

QRectF CancelTextImageButton::labelFrame(const QSizeF& bounds) {
    return {0, (bounds.height() - 17) / 2, bounds.width(), 17};
}

void CancelTextImageButton::stateChanged() {
    const State current = state();
    kit::setButtonLabelColor(textField_, labelColor(current, stateImage(current).isNull()));
}
