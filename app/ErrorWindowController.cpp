#include "app/ErrorWindowController.h"

#include "app/sources/DialogParts.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>

namespace {

// The layout, in the content view's Cocoa coordinates; the label wraps inside its frame.
constexpr QSizeF kContentSize{400, 160};
constexpr QRectF kLabelFrame{30, 66, 340, 76};
constexpr QRectF kDoneFrame{140, 22, 120, 36};

}  // namespace

ErrorWindowController::ErrorWindowController() = default;

ErrorWindowController::~ErrorWindowController() = default;

void ErrorWindowController::showError(std::unique_ptr<ErrorWindowController>& errorWC,
                                      const QString& message) {
    errorWC.reset();
    errorWC = std::make_unique<ErrorWindowController>();
    kit::centerWindow(errorWC->window());
    errorWC->changeErrorLabelStr(message);
    kit::ModalRun::runModalForWindow(errorWC->window());
}

TCImageWindow* ErrorWindowController::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

void ErrorWindowController::loadWindow() {
    window_ = sources::makeDialogWindow(kContentSize);
    window_->setFixedSize(window_->size());  // the message wraps; the dialog keeps its size
    QWidget* content = window_->contentView();
    errorLabel_ = kit::addLabel(content, kLabelFrame,
                                {.pixelSize = 13, .alignment = Qt::AlignCenter, .wordWrap = true});
    okButton_ = kit::addImageButton(content, kDoneFrame, QStringLiteral("btn_sec"), QStringLiteral("Done"));
    connect(okButton_, &QAbstractButton::clicked, this, &ErrorWindowController::okButtonAction);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), window_.get()), &QShortcut::activated, this,
                &ErrorWindowController::okButtonAction);
    }

    // Without the window server's shadow a white dialog is lost on a white window: a grey edge sets it off.
    auto* edge = new QFrame(window_.get());
    edge->setAttribute(Qt::WA_TransparentForMouseEvents);
    edge->setStyleSheet(QStringLiteral(
        "QFrame { border: 1px solid #C4CAD8; border-radius: 16px; background: transparent; }"));
    edge->setGeometry(window_->rect());
}

void ErrorWindowController::windowDidLoad() {
    sources::onCloseButton(window_.get(), [this] { closeWindow(); });
}

void ErrorWindowController::changeErrorLabelStr(const QString& text) {
    window();
    errorLabel_->setText(text);
    errorLabel_->update();
}

void ErrorWindowController::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void ErrorWindowController::okButtonAction() {
    closeWindow();
}
