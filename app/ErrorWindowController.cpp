#include "app/ErrorWindowController.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
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
    window_ = std::make_unique<TCImageWindow>(kContentSize);  // clear, and movable by its background
    window_->setFixedSize(window_->size());                   // the message wraps; the dialog keeps its size
    auto* cap = new PopWTopBgView(window_->titleBarView());   // owned by the title bar view
    kit::setCocoaFrame(cap, QRectF(0, -10, kContentSize.width(), 40));
    QWidget* content = window_->contentView();
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));  // owned by the view

    errorLabel_ = new QLabel(content);
    errorLabel_->setTextFormat(Qt::PlainText);
    errorLabel_->setWordWrap(true);
    errorLabel_->setAlignment(Qt::AlignCenter);
    errorLabel_->setFont(kit::systemFont(13));
    QPalette palette = errorLabel_->palette();
    palette.setColor(QPalette::WindowText, getColor(79, 79, 98, 1));
    errorLabel_->setPalette(palette);
    kit::setCocoaFrame(errorLabel_, kLabelFrame);

    okButton_ = new TextImageButton(content);
    kit::setCocoaFrame(okButton_, kDoneFrame);
    connect(okButton_, &QAbstractButton::clicked, this, &ErrorWindowController::okButtonAction);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), window_.get()), &QShortcut::activated, this,
                &ErrorWindowController::okButtonAction);  // owned by the window
    }

    // Without the window server's shadow a white dialog is lost on a white window: a grey edge sets it off.
    auto* edge = new QFrame(window_.get());  // owned by the window
    edge->setAttribute(Qt::WA_TransparentForMouseEvents);
    edge->setStyleSheet(QStringLiteral(
        "QFrame { border: 1px solid #C4CAD8; border-radius: 16px; background: transparent; }"));
    edge->setGeometry(window_->rect());
}

void ErrorWindowController::windowDidLoad() {
    okButton_->setButtonEnabled(true);
    okButton_->setImageFromFileNormalName(QStringLiteral("btn_sec"), QStringLiteral("btn_sec_press"),
                                          QStringLiteral("btn_sec_hover"), QStringLiteral("btn_sec_disable"));
    okButton_->setTextWithName(QStringLiteral("Done"));
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(window_->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
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
