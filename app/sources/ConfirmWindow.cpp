#include "app/sources/ConfirmWindow.h"

#include "ui-kit/Labels.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
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
constexpr QRectF kLeftFrame{70, 20, 120, 36};
constexpr QRectF kRightFrame{230, 20, 120, 36};

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
    const bool cancelSafe = question_.safe == SafeAnswer::Cancel;
    const QString primary = QStringLiteral("btn_pri");
    const QString secondary = QStringLiteral("btn_sec");
    cancelButton_ =
        kit::addImageButton<CancelTextImageButton>(content, cancelSafe ? kRightFrame : kLeftFrame,
                                                   cancelSafe ? primary : secondary, question_.cancelTitle);
    connect(cancelButton_, &QAbstractButton::clicked, this, [this] { cancelButtonAction(); });
    doneButton_ = kit::addImageButton(content, cancelSafe ? kLeftFrame : kRightFrame,
                                      cancelSafe ? secondary : primary, question_.doneTitle);
    connect(doneButton_, &QAbstractButton::clicked, this, [this] { doneButtonAction(); });
    installKeys();
    onCloseButton(window_.get(), [this] { closeWindow(); });
}

void ConfirmWindow::installKeys() {
    QAbstractButton* cancel = cancelButton_;
    QAbstractButton* done = doneButton_;
    switch (question_.safe) {
        case SafeAnswer::None:
            kit::DialogKeys::install(window_.get(), {done}, {cancel});
            break;
        case SafeAnswer::Cancel:
            kit::DialogKeys::install(window_.get(), {cancel}, {cancel});
            break;
        case SafeAnswer::Done:
            kit::DialogKeys::install(window_.get(), {done}, {done});
            break;
    }
}

void ConfirmWindow::closeWindow() {
    closeModalWindow(window_.get());
}

}  // namespace sources
