#include "app/disk-tool/FormatingViewController.h"

#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QLabel>

FormatingViewController::FormatingViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    kit::addLabel(this, QRectF(30, 104, 300, 28), {.pixelSize = 16, .bold = true})
        ->setText(QStringLiteral("Formatting…"));
    QLabel* note =
        kit::addLabel(this, QRectF(30, 64, 300, 40), {.pixelSize = 12, .color = kit::darkText(0.8f)});
    note->setWordWrap(true);
    note->setText(QStringLiteral("Please wait, and keep the disk connected until the format has finished."));
    stopBut_ = kit::addImageButton(this, QRectF(210, 16, 120, 36), QStringLiteral("btn_sec"),
                                   QStringLiteral("Stop"));
    stopBut_->setButtonEnabled(false);
    connect(stopBut_, &QAbstractButton::clicked, this, &FormatingViewController::stopButAction);
}

void FormatingViewController::closeWindow() {
    if (superDelegate_) {
        superDelegate_->close();
    }
}

void FormatingViewController::setCancelFlag(const platform::CancelFlag& flag) {
    cancel_ = flag;
    stopBut_->setButtonEnabled(true);
}

void FormatingViewController::stopButAction() {
    if (cancel_) {
        cancel_->request();
    }
    stopBut_->setButtonEnabled(false);
}
