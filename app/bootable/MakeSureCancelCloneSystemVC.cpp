#include "app/bootable/MakeSureCancelCloneSystemVC.h"

#include "app/bootable/MakeSureCancelCloneSystemVCDelegate.h"

MakeSureCancelCloneSystemVC::MakeSureCancelCloneSystemVC()
    : ConfirmWindow(
          QStringLiteral("Stop cloning?"),
          QStringLiteral("A stopped clone leaves the destination drive unusable. Press Cancel to stop "
                         "the clone, or Continue to let it finish."),
          QStringLiteral("Cancel"), QStringLiteral("Continue"), SafeAnswer::Done) {}

void MakeSureCancelCloneSystemVC::cancelButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->cancelToCopySystem();
    }
}

void MakeSureCancelCloneSystemVC::doneButtonAction() {
    closeWindow();
}
