#include "app/bootable/FullDiskAccessViewController.h"

#include "app/sources/DialogParts.h"
#include "platform/LogCategories.h"
#include "platform/Workspace.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>
#include <QUrl>

namespace {

// The layout, in the content view's Cocoa coordinates.
constexpr QSizeF kContentSize{420, 200};
constexpr QRectF kTitleFrame{30, 146, 360, 26};
constexpr QRectF kMessageFrame{30, 72, 360, 70};
constexpr QRectF kOpenFrame{150, 20, 120, 36};  // the button images are 120 wide

}  // namespace

FullDiskAccessViewController::FullDiskAccessViewController() = default;

FullDiskAccessViewController::~FullDiskAccessViewController() = default;

TCImageWindow* FullDiskAccessViewController::window() {
    if (!window_) {
        loadWindow();
        awakeFromNib();
    }
    return window_.get();
}

void FullDiskAccessViewController::loadWindow() {
    window_ = sources::makeDialogWindow(kContentSize);
    QWidget* content = window_->contentView();
    kit::addLabel(content, kTitleFrame, sources::dialogText(16, true))
        ->setText(QStringLiteral("Full Disk Access"));
    kit::addLabel(content, kMessageFrame, sources::dialogText(13))
        ->setText(
            QStringLiteral("In the system's privacy settings, open Full Disk Access and switch Tavrun on, "
                           "then clone again."));
    openButton_ =
        kit::addImageButton(content, kOpenFrame, QStringLiteral("btn_pri"), QStringLiteral("Open Settings"));
    connect(openButton_, &QAbstractButton::clicked, this, &FullDiskAccessViewController::openSetView);
}

void FullDiskAccessViewController::awakeFromNib() {
    sources::onCloseButton(window_.get(), [this] { closeWindow(); });
    kit::DialogKeys::install(window_.get(), {openButton_}, {window_->standardWindowButton(0)});
}

void FullDiskAccessViewController::openSetView() {
    // Older systems have no Full Disk Access list to open.
    if (KVPublicUtilities::getSystemVersion() >= 1014 &&
        !platform::Workspace::openURL(QUrl(kFullDiskAccessURL))) {
        qCWarning(lcApp) << "could not open the Full Disk Access settings";
    }
    closeWindow();
}

void FullDiskAccessViewController::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}
