#include "app/bootable/MakeSureToCloneSystemVC.h"

#include "app/bootable/MakeSureToCloneSystemVCDelegate.h"

MakeSureToCloneSystemVC::MakeSureToCloneSystemVC()
    : ConfirmWindow(
          {.title = QStringLiteral("Clone OS"),
           .message = QStringLiteral("Everything on the destination drive will be erased and replaced "
                                     "by a copy of the running system. Do you want to clone now?"),
           .doneTitle = QStringLiteral("Clone Now")}) {}

void MakeSureToCloneSystemVC::cancelButtonAction() {
    closeWindow();
}

void MakeSureToCloneSystemVC::doneButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->beginToCopySystem();
    }
}
