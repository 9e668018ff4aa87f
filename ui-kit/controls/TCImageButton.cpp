#include "ui-kit/controls/TCImageButton.h"

#include "ui-kit/ButtonLabel.h"
#include "ui-kit/Labels.h"

#include <QLabel>

TCImageButton::TCImageButton(QWidget* parent) : kit::ImageButtonBase(parent) {}

void TCImageButton::setImageFromFileNormalName(const QString& normal, const QString& active,
                                               const QString& hover, const QString& disable) {
    loadImages(normal, active, hover, disable);
}

void TCImageButton::setTextWithName(const QString& title, const QRectF& frame) {
    dstRect_ = QRectF(0, 0, frame.width() - 4, frame.height());
    const QRectF labelFrame = QRectF(rect()).translated(0, 2);
    // One label per button: a second call moves and retitles it instead of stacking a second title on it.
    if (!textField_) {
        textField_ = kit::makeButtonLabel(this, labelFrame, kit::systemFont(13));
    }
    textField_->setGeometry(labelFrame.toRect());
    textField_->setText(title);
    refresh();
}

QColor TCImageButton::labelColor(State state) {
    return state == State::SwitchedOff ? QColor::fromRgbF(0.5f, 0.5f, 0.5f) : QColor(Qt::white);
}

void TCImageButton::stateChanged() {
    kit::setButtonLabelColor(textField_, labelColor(state()));
}
