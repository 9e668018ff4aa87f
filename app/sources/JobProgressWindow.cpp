#include "app/sources/JobProgressWindow.h"

#include "app/sources/DialogParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/controls/Spinner.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

#include <utility>

namespace sources {

namespace {

// The layout, in the content view's Cocoa coordinates.
constexpr QSizeF kContentSize{560, 190};
constexpr QRectF kTitleFrame{30, 140, 500, 26};
constexpr QRectF kNormalFrame{30, 70, 500, 60};
constexpr QRectF kSpinnerFrame{0, 36, 16, 16};  // in the normal view
constexpr QRectF kPathFrame{24, 34, 476, 20};   // in the normal view
constexpr QRectF kBarFrame{0, 0, 500, 20};      // in the normal view
constexpr QRectF kCancelFrame{220, 20, 120, 36};

}  // namespace

JobProgressWindow::JobProgressWindow(QString title, QString stoppedMessage)
    : title_(std::move(title)), stoppedMessage_(std::move(stoppedMessage)) {}

JobProgressWindow::~JobProgressWindow() {
    if (window_) {
        window_->setDelegate(nullptr);
    }
}

TCImageWindow* JobProgressWindow::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

QWidget* JobProgressWindow::titleBarView() const {
    return window_ ? window_->titleBarView() : nullptr;
}

void JobProgressWindow::loadWindow() {
    window_ = makeDialogWindow(kContentSize, TitleBar::Slim);
    QWidget* content = window_->contentView();
    titleLabel_ = kit::addLabel(content, kTitleFrame, dialogText(16, true), title_);

    normalView_ = new QWidget(content);
    kit::setCocoaFrame(normalView_, kNormalFrame);
    proView_ = new kit::Spinner(normalView_);
    kit::setCocoaFrame(proView_, kSpinnerFrame);
    pathLabel_ = kit::addLabel(normalView_, kPathFrame,
                               {.pixelSize = 12, .color = kit::darkText(0.8f), .clickThrough = true});
    rogressView_ = new ProgressView(normalView_);
    kit::setCocoaFrame(rogressView_, kBarFrame);

    cancelButton_ = kit::addImageButton<CancelTextImageButton>(
        content, kCancelFrame, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));
    connect(cancelButton_, &QAbstractButton::clicked, this, &JobProgressWindow::cancelButtonAction);
}

void JobProgressWindow::windowDidLoad() {
    proView_->show();
    pathLabel_->setText(QStringLiteral(" "));
    rogressView_->changeProgressValue(0);
    onCloseButton(window_.get(), [this] { closeWindow(); });
    kit::DialogKeys::install(window_.get(), {}, {cancelButton_});
    // A close that does not come through the close button (the window manager's) ends the job the same way.
    window_->setDelegate(this);
}

void JobProgressWindow::showPercent(float percent) {
    if (ended_) {
        return;
    }
    rogressView_->changeProgressValue(percent);
    if (percent >= 100.0F) {
        finish();
        showResult(false, QString(), QString());
    }
}

void JobProgressWindow::cancelButtonAction() {
    if (ended_ || stopping_) {
        return;
    }
    cancelJob();
    if (jobRunning_) {
        stopping_ = true;
        return;
    }
    endInFailure(stoppedMessage_);
}

void JobProgressWindow::jobStopped() {
    jobRunning_ = false;
    if (std::exchange(stopping_, false)) {
        endInFailure(stoppedMessage_);
    }
}

void JobProgressWindow::endInFailure(const QString& message, const QString& reason) {
    if (ended_) {
        return;
    }
    finish();
    showResult(true, message, reason);
}

void JobProgressWindow::closeWindow() {
    if (ended_) {
        return;
    }
    finish();
    cancelJob();
}

void JobProgressWindow::windowWillClose(QWidget* /*window*/) {
    closeWindow();
}

void JobProgressWindow::finish() {
    ended_ = true;
    proView_->hide();
    closeModalWindow(window_.get());
}

}  // namespace sources
