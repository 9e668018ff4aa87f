#include "app/sources/ConfirmWindow.h"

#include "ui-kit/Labels.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace sources {

namespace {

// The layout, in the content view's Cocoa coordinates: the title keeps its distance from the top, the
// buttons theirs from the bottom.
constexpr qreal kWidth = 420;
constexpr qreal kTitleBelowTop = 54;
constexpr qreal kMessageBottom = 72;
constexpr qreal kMessageBelowTop = 130;
constexpr QRectF kCancelFrame{70, 20, 120, 36};
constexpr QRectF kDoneFrame{230, 20, 120, 36};

}  // namespace

ConfirmWindow::ConfirmWindow(Question question) : question_(std::move(question)) {}

ConfirmWindow::~ConfirmWindow() = default;

TCImageWindow* ConfirmWindow::window() {
    if (!window_) {
        loadWindow();
    }
    return window_.get();
}

QWidget* ConfirmWindow::titleBarView() const {
    return window_ ? window_->titleBarView() : nullptr;
}

void ConfirmWindow::loadWindow() {
    const qreal height = question_.contentHeight;
    window_ = makeDialogWindow({kWidth, height}, question_.titleBar);
    QWidget* content = window_->contentView();
    titleLabel_ =
        kit::addLabel(content, {30, height - kTitleBelowTop, 360, 26}, dialogText(16, true), question_.title);
    messageLabel_ = kit::addLabel(content, {30, kMessageBottom, 360, height - kMessageBelowTop},
                                  dialogText(13), question_.message);
    cancelButton_ = kit::addImageButton<CancelTextImageButton>(
        content, kCancelFrame, QStringLiteral("btn_sec"), question_.cancelTitle);
    connect(cancelButton_, &QAbstractButton::clicked, this, [this] { cancelButtonAction(); });
    doneButton_ = kit::addImageButton(content, kDoneFrame, QStringLiteral("btn_pri"), question_.doneTitle);
    connect(doneButton_, &QAbstractButton::clicked, this, [this] { doneButtonAction(); });
    onCloseButton(window_.get(), [this] { closeWindow(); });
}

void ConfirmWindow::closeWindow() {
    closeModalWindow(window_.get());
}

}  // namespace sources
