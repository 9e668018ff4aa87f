#include "app/bootable/MakeSureToCloneSystemVC.h"

#include "app/bootable/MakeSureToCloneSystemVCDelegate.h"

MakeSureToCloneSystemVC::MakeSureToCloneSystemVC(const QString& drive)
    : ConfirmWindow({.title = QStringLiteral("Clone OS"),
                     .message = QStringLiteral("Everything on %1 will be erased and replaced "
                                               "by a copy of the running system. Do you want to clone now?")
                                    .arg(drive.isEmpty() ? QStringLiteral("the destination drive") : drive),
                     .doneTitle = QStringLiteral("Clone Now"),
                     .safe = SafeAnswer::Cancel}) {}

void MakeSureToCloneSystemVC::cancelButtonAction() {
    closeWindow();
}

void MakeSureToCloneSystemVC::doneButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->beginToCopySystem();
    }
}
