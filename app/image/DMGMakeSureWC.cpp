#include "app/image/DMGMakeSureWC.h"

#include "app/image/DMGMakeSureWCDelegate.h"

DMGMakeSureWC::DMGMakeSureWC()
    : ConfirmWindow(
          {.title = QStringLiteral("Create Disk Image"),
           .message = QStringLiteral("The disk image or ZIP archive will be created on the destination "
                                     "drive. Do you want to start now?"),
           .doneTitle = QStringLiteral("Create Image"),
           .contentHeight = 180,
           .titleBar = sources::TitleBar::Slim}) {}

void DMGMakeSureWC::cancelButtonAction() {
    closeWindow();
}

void DMGMakeSureWC::doneButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->beginToMakeDMGorZIP();
    }
}
