#include "app/disk-tool/FormatEndViewController.h"

#include "app/disk-tool/VolumeCommands.h"
#include "app/sources/DialogParts.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QLabel>

FormatEndViewController::FormatEndViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    titleLabel_ = kit::addLabel(this, QRectF(30, 126, 300, 28), {.pixelSize = 16, .bold = true});
    messageLabel_ =
        kit::addLabel(this, QRectF(30, 62, 300, 62), {.pixelSize = 12, .color = kit::darkText(0.8f)});
    messageLabel_->setWordWrap(true);
    messageLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    closeButton_ =
        kit::addImageButton(this, QRectF(120, 16, 120, 36), QStringLiteral("btn_pri"), QStringLiteral("OK"));
    awakeFromNib();
    changeResult(disktool::CommandResult::succeeded());
}

void FormatEndViewController::awakeFromNib() {
    connect(closeButton_, &QAbstractButton::clicked, this, &FormatEndViewController::closeWindow);
    kit::DialogKeys::install(this, {closeButton_}, {closeButton_});
}

void FormatEndViewController::changeResult(const disktool::CommandResult& result) {
    if (result.stopped) {
        titleLabel_->setText(QStringLiteral("Format stopped"));
        messageLabel_->setText(
            QStringLiteral("The format was stopped before it had finished. Format the volume "
                           "again before you use it."));
    } else if (!result.done) {
        titleLabel_->setText(QStringLiteral("Format failed"));
        messageLabel_->setText(QStringLiteral("The volume could not be formatted.\n") + result.reason);
    } else {
        titleLabel_->setText(QStringLiteral("Format completed"));
        messageLabel_->setText(result.checkTrouble.isEmpty()
                                   ? QStringLiteral("The volume has been formatted and is ready to use.")
                                   : QStringLiteral("The volume has been formatted.\n") +
                                         result.checkTrouble);
    }
}

void FormatEndViewController::closeWindow() {
    if (superDelegate_) {
        superDelegate_->close();
    }
}
