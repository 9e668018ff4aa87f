#include "app/bootable/CloneSystemEndWindowController.h"

#include "app/bootable/FullDiskAccessViewController.h"
#include "app/sources/DialogParts.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/DialogKeys.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QLabel>

namespace {

// The layout, in the content view's Cocoa coordinates; both views fill the content view.
// The message takes three lines (the erase failure's does) and keeps a gap above the hint.
constexpr QSizeF kContentSize{420, 240};
constexpr QRectF kTitleFrame{30, 186, 360, 26};
constexpr QRectF kMessageFrame{30, 116, 360, 64};
constexpr QRectF kHintFrame{30, 68, 360, 36};
constexpr QRectF kDoneFrame{150, 20, 120, 36};
constexpr QRectF kFailCancelFrame{70, 20, 120, 36};
constexpr QRectF kCheckFrame{230, 20, 120, 36};

}  // namespace

CloneSystemEndWindowController::CloneSystemEndWindowController() = default;

CloneSystemEndWindowController::~CloneSystemEndWindowController() = default;

TCImageWindow* CloneSystemEndWindowController::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

QWidget* CloneSystemEndWindowController::addView(const QString& title) {
    auto* view = new QWidget(window_->contentView());  // owned by the content view
    kit::setCocoaFrame(view, QRectF(QPointF(0, 0), kContentSize));
    sources::addDialogLabel(view, kTitleFrame, 16, true)->setText(title);
    return view;
}

void CloneSystemEndWindowController::loadWindow() {
    window_ = sources::makeDialogWindow(kContentSize);
    sucView_ = addView(QStringLiteral("Clone completed"));
    sources::addDialogLabel(sucView_, kMessageFrame, 13, false)
        ->setText(
            QStringLiteral("The running system has been cloned onto the destination drive. You can start "
                           "up your Mac from it."));
    failView_ = addView(QStringLiteral("Clone failed"));
    errorLable_ = sources::addDialogLabel(failView_, kMessageFrame, 13, false);
    sources::addDialogLabel(failView_, kHintFrame, 12, false)
        ->setText(
            QStringLiteral("Tavrun needs Full Disk Access to copy the whole system. Check that it has it."));
}

void CloneSystemEndWindowController::windowDidLoad() {
    failCancelButton_ = kit::addFamilyButton<TextImageButton>(
        failView_, kFailCancelFrame, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));
    connect(failCancelButton_, &QAbstractButton::clicked, this,
            &CloneSystemEndWindowController::failCancelButtonAction);
    succCancelButton_ = kit::addFamilyButton<TextImageButton>(sucView_, kDoneFrame, QStringLiteral("btn_sec"),
                                                              QStringLiteral("Done"));
    connect(succCancelButton_, &QAbstractButton::clicked, this,
            &CloneSystemEndWindowController::succCancelButtonAction);
    checkFullButton_ = kit::addFamilyButton<TextImageButton>(
        failView_, kCheckFrame, QStringLiteral("btn_pri"), QStringLiteral("Check"));
    connect(checkFullButton_, &QAbstractButton::clicked, this,
            &CloneSystemEndWindowController::toCheckFullDiskAccess);
    failView_->hide();
    sucView_->hide();
    kit::DialogKeys::install(window_.get(), {succCancelButton_, checkFullButton_},
                             {succCancelButton_, failCancelButton_});
    sources::onCloseButton(window_.get(), [this] { closeWindow(); });
}

void CloneSystemEndWindowController::showFaile(bool failed) {
    window();
    failView_->setVisible(failed);
    sucView_->setVisible(!failed);
}

void CloneSystemEndWindowController::failCancelButtonAction() {
    closeWindow();
}

void CloneSystemEndWindowController::succCancelButtonAction() {
    closeWindow();
}

void CloneSystemEndWindowController::toCheckFullDiskAccess() {
    fullDiskAccessWC_.reset();
    fullDiskAccessWC_ = std::make_unique<FullDiskAccessViewController>();
    kit::centerWindow(fullDiskAccessWC_->window());
    kit::ModalRun::runModalForWindow(fullDiskAccessWC_->window());
}

void CloneSystemEndWindowController::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}
