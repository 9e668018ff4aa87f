#include "app/image/DMGMakeSureWC.h"

#include "app/image/DMGMakeSureWCDelegate.h"
#include "app/sources/DialogParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/DialogKeys.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"

namespace {

// The layout, in the content view's Cocoa coordinates.
constexpr QSizeF kContentSize{420, 180};
constexpr QRectF kTitleFrame{30, 128, 360, 26};
constexpr QRectF kQuestionFrame{30, 70, 360, 50};
constexpr QRectF kCancelFrame{70, 20, 120, 36};
constexpr QRectF kDoneFrame{230, 20, 120, 36};

}  // namespace

DMGMakeSureWC::DMGMakeSureWC() = default;

DMGMakeSureWC::~DMGMakeSureWC() = default;

TCImageWindow* DMGMakeSureWC::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

void DMGMakeSureWC::loadWindow() {
    window_ = sources::makeDialogWindow(kContentSize, sources::TitleBar::Slim);
    QWidget* content = window_->contentView();
    sources::addDialogLabel(content, kTitleFrame, 16, true, QStringLiteral("Create Disk Image"));
    sources::addDialogLabel(content, kQuestionFrame, 13, false,
                            QStringLiteral("The disk image or ZIP archive will be created on the destination "
                                           "drive. Do you want to start now?"));
    cancelButton_ = new CancelTextImageButton(content);  // owned by the content view
    kit::setCocoaFrame(cancelButton_, kCancelFrame);
    doneButton_ = new TextImageButton(content);  // owned by the content view
    kit::setCocoaFrame(doneButton_, kDoneFrame);
    connect(cancelButton_, &QAbstractButton::clicked, this, &DMGMakeSureWC::cancelButtonAction);
    connect(doneButton_, &QAbstractButton::clicked, this, &DMGMakeSureWC::doneButtonAction);
}

void DMGMakeSureWC::windowDidLoad() {
    sources::onCloseButton(window_.get(), [this] { closeWindow(); });
    kit::setButtonFamily(cancelButton_, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));
    kit::setButtonFamily(doneButton_, QStringLiteral("btn_pri"), QStringLiteral("Create Image"));
    kit::DialogKeys::install(window_.get(), {doneButton_}, {cancelButton_});
}

void DMGMakeSureWC::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void DMGMakeSureWC::cancelButtonAction() {
    closeWindow();
}

void DMGMakeSureWC::doneButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->beginToMakeDMGorZIP();
    }
}
