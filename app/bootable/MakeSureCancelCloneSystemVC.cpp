#include "app/bootable/MakeSureCancelCloneSystemVC.h"

#include "app/bootable/MakeSureCancelCloneSystemVCDelegate.h"

MakeSureCancelCloneSystemVC::MakeSureCancelCloneSystemVC()
    : ConfirmWindow({.title = QStringLiteral("Stop cloning?"),
                     .message = QStringLiteral("A stopped clone leaves the destination drive unusable. Press "
                                               "Cancel to stop the clone, or Continue to let it finish."),
                     .doneTitle = QStringLiteral("Continue"),
                     .safe = SafeAnswer::Done}) {}

void MakeSureCancelCloneSystemVC::cancelButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->cancelToCopySystem();
    }
}

void MakeSureCancelCloneSystemVC::doneButtonAction() {
    closeWindow();
}
