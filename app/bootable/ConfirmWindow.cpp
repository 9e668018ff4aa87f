#include "app/bootable/ConfirmWindow.h"

#include "app/sources/DialogParts.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/DialogKeys.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace bootable {

namespace {

// The layout, in the content view's Cocoa coordinates.
constexpr QSizeF kContentSize{420, 190};
constexpr QRectF kTitleFrame{30, 136, 360, 26};
constexpr QRectF kMessageFrame{30, 72, 360, 60};
constexpr QRectF kOtherFrame{70, 20, 120, 36};
constexpr QRectF kSafeFrame{230, 20, 120, 36};

}  // namespace

ConfirmWindow::ConfirmWindow(QString title, QString message, QString cancelTitle, QString doneTitle,
                             SafeAnswer safe)
    : title_(std::move(title)),
      message_(std::move(message)),
      cancelTitle_(std::move(cancelTitle)),
      doneTitle_(std::move(doneTitle)),
      safe_(safe) {}

ConfirmWindow::~ConfirmWindow() = default;

TCImageWindow* ConfirmWindow::window() {
    if (!window_) {
        loadWindow();
    }
    return window_.get();
}

QWidget* ConfirmWindow::titleBarView() const {
    return window_ ? window_->titleBarView() : nullptr;
}

void ConfirmWindow::loadWindow() {
    window_ = sources::makeDialogWindow(kContentSize);
    QWidget* content = window_->contentView();
    titleLabel_ = sources::addDialogLabel(content, kTitleFrame, 16, true);
    titleLabel_->setText(title_);
    messageLabel_ = sources::addDialogLabel(content, kMessageFrame, 13, false);
    messageLabel_->setText(message_);
    const bool cancelSafe = safe_ == SafeAnswer::Cancel;
    const QString safe = QStringLiteral("btn_pri");
    const QString other = QStringLiteral("btn_sec");
    cancelButton_ = kit::addFamilyButton<CancelTextImageButton>(
        content, cancelSafe ? kSafeFrame : kOtherFrame, cancelSafe ? safe : other, cancelTitle_);
    connect(cancelButton_, &QAbstractButton::clicked, this, [this] { cancelButtonAction(); });
    doneButton_ = kit::addFamilyButton<TextImageButton>(content, cancelSafe ? kOtherFrame : kSafeFrame,
                                                        cancelSafe ? other : safe, doneTitle_);
    connect(doneButton_, &QAbstractButton::clicked, this, [this] { doneButtonAction(); });
    QAbstractButton* safeButton = cancelSafe ? static_cast<QAbstractButton*>(cancelButton_) : doneButton_;
    kit::DialogKeys::install(window_.get(), {safeButton}, {safeButton});
    sources::onCloseButton(window_.get(), [this] { closeWindow(); });
}

void ConfirmWindow::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

}  // namespace bootable
