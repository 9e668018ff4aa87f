#include "app/copy/CopyMakeSureWC.h"

#include "app/copy/CopyMakeSureWCDelegate.h"

CopyMakeSureWC::CopyMakeSureWC()
    : ConfirmWindow(
          {.title = QStringLiteral("Copy Disk"),
           .message = QStringLiteral("The files will be copied into a new folder on the destination "
                                     "drive. Do you want to start copying now?"),
           .doneTitle = QStringLiteral("Copy Now"),
           .contentHeight = 180}) {}

void CopyMakeSureWC::cancelButtonAction() {
    closeWindow();
}

void CopyMakeSureWC::doneButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->beginToCopyFiles();
    }
}
