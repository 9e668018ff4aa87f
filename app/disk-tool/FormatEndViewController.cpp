#include "app/disk-tool/FormatEndViewController.h"

#include "app/disk-tool/DialogParts.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QLabel>

FormatEndViewController::FormatEndViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    titleLabel_ = disktool::addLabel(this, QRectF(30, 106, 300, 28), 16, disktool::textColor(), true);
    messageLabel_ = disktool::addLabel(this, QRectF(30, 66, 300, 38), 12, disktool::textColor(0.8));
    messageLabel_->setWordWrap(true);
    closeButton_ = disktool::addImageButton(this, QRectF(120, 20, 120, 36), QStringLiteral("btn_pri"),
                                            QStringLiteral("OK"));
    awakeFromNib();
    changeResult(true);
}

void FormatEndViewController::awakeFromNib() {
    connect(closeButton_, &QAbstractButton::clicked, this, &FormatEndViewController::closeWindow);
}

void FormatEndViewController::changeResult(bool succeeded) {
    titleLabel_->setText(succeeded ? QStringLiteral("Format completed") : QStringLiteral("Format failed"));
    messageLabel_->setText(succeeded
                               ? QStringLiteral("The volume has been formatted and is ready to use.")
                               : QStringLiteral("The volume could not be formatted. The list shows what "
                                                "the disk holds now."));
}

void FormatEndViewController::closeWindow() {
    if (superDelegate_) {
        superDelegate_->close();
    }
}
