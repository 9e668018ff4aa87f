#include "app/bootable/CloneSystemEndWindowController.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QLabel>

CloneSystemEndWindowController::CloneSystemEndWindowController()
    : ResultWindow({.successTitle = QStringLiteral("Clone completed"),
                    .successText = QStringLiteral("The running system has been cloned onto the destination "
                                                  "drive. You can start up your Mac from it."),
                    .failureTitle = QStringLiteral("Clone failed")},
                   // The message takes three lines (the erase failure's does) above the reason and the hint.
                   {.contentSize = {420, 240},
                    .titleFrame = {30, 186, 360, 26},
                    .messageFrame = {30, 120, 360, 60},
                    .failCancelFrame = {70, 20, 120, 36}}) {}

void CloneSystemEndWindowController::addViews() {
    accessHint_ = kit::addLabel(
        failView(), {30, 68, 360, 36}, sources::dialogText(12),
        QStringLiteral("Tavrun needs Full Disk Access to copy the whole system. Check that it has it."));
    checkFullButton_ = kit::addImageButton(failView(), {230, 20, 120, 36}, QStringLiteral("btn_pri"),
                                           QStringLiteral("Check"));
    connect(checkFullButton_, &QAbstractButton::clicked, this, [this] { toCheckFullDiskAccess(); });
    // Return checks the access where the hint shows; a hidden button is passed over.
    kit::DialogKeys::install(window(), {succCancelButton(), checkFullButton_, failCancelButton()},
                             {succCancelButton(), failCancelButton()});
}

void CloneSystemEndWindowController::showAccessHint(bool shown) {
    window();
    accessHint_->setVisible(shown);
    checkFullButton_->setVisible(shown);
    kit::setCocoaFrame(failCancelButton(), {shown ? 70.0 : 150.0, 20, 120, 36});
}

void CloneSystemEndWindowController::toCheckFullDiskAccess() {
    fullDiskAccessWC_.reset();
    fullDiskAccessWC_ = std::make_unique<FullDiskAccessViewController>();
    kit::centerWindow(fullDiskAccessWC_->window());
    kit::ModalRun::runModalForWindow(fullDiskAccessWC_->window());
}
