#include "app/image/ZIPEndWinodwController.h"

#include "app/sources/DialogParts.h"
#include "platform/FileBrowser.h"
#include "platform/LogCategories.h"
#include "platform/TestSettings.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/DialogKeys.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

#include <utility>

namespace {

// The layout, in the content view's Cocoa coordinates; both views fill the content view.
constexpr QSizeF kContentSize{420, 190};
constexpr QRectF kTitleFrame{30, 136, 360, 26};
constexpr QRectF kMessageFrame{30, 76, 360, 52};
constexpr QRectF kButtonFrame{150, 20, 120, 36};
constexpr qsizetype kShortestColouredText = 11;

std::function<bool(const QString&)>& revealHook() {
    static auto* reveal = new std::function<bool(const QString&)>;
    return *reveal;
}

}  // namespace

ZIPEndWinodwController::ZIPEndWinodwController() = default;

ZIPEndWinodwController::~ZIPEndWinodwController() = default;

void ZIPEndWinodwController::setRevealForTesting(std::function<bool(const QString& path)> reveal) {
    platform::restoreAfterTest(
        [old = std::exchange(revealHook(), std::move(reveal))] { revealHook() = old; });
}

TCImageWindow* ZIPEndWinodwController::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

QWidget* ZIPEndWinodwController::addView(const QString& title) {
    auto* view = new QWidget(window_->contentView());  // owned by the content view
    kit::setCocoaFrame(view, QRectF(QPointF(0, 0), kContentSize));
    sources::addDialogLabel(view, kTitleFrame, 16, true, title);
    return view;
}

void ZIPEndWinodwController::loadWindow() {
    window_ = sources::makeDialogWindow(kContentSize, sources::TitleBar::Slim);

    sucView_ = addView(QStringLiteral("Creation completed"));
    openLabel_ = sources::addDialogLabel(
        sucView_, kMessageFrame, 13, false,
        QStringLiteral("Your disk image or archive is ready. Click here to show ") + kLinkPhrase);
    // The whole sentence is the link: a flat button over it that shows the pointing hand.
    openButton_ = new KVHandButton(sucView_);  // owned by the view
    openButton_->setFlat(true);
    openButton_->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    kit::setCocoaFrame(openButton_, kMessageFrame);
    succCancelButton_ = new TextImageButton(sucView_);  // owned by the view
    kit::setCocoaFrame(succCancelButton_, kButtonFrame);

    // A stop by the user ends here as well as a failure: the heading blames neither.
    failView_ = addView(QStringLiteral("Creation not completed"));
    errorLabel_ = sources::addDialogLabel(failView_, kMessageFrame, 13, false, QString());
    failCancelButton_ = new TextImageButton(failView_);  // owned by the view
    kit::setCocoaFrame(failCancelButton_, kButtonFrame);
}

void ZIPEndWinodwController::windowDidLoad() {
    kit::setButtonFamily(failCancelButton_, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));
    kit::setButtonFamily(succCancelButton_, QStringLiteral("btn_sec"), QStringLiteral("Done"));
    connect(openButton_, &QAbstractButton::clicked, this, &ZIPEndWinodwController::openPathButtonAction);
    connect(failCancelButton_, &QAbstractButton::clicked, this,
            &ZIPEndWinodwController::failCancelButtonAction);
    connect(succCancelButton_, &QAbstractButton::clicked, this,
            &ZIPEndWinodwController::succCancelButtonAction);
    sources::onCloseButton(window_.get(), [this] { closeWindow(); });
    sucView_->hide();
    failView_->hide();
    kit::DialogKeys::install(window_.get(), {succCancelButton_, failCancelButton_},
                             {succCancelButton_, failCancelButton_});
}

void ZIPEndWinodwController::showFaile(bool failed) {
    window();
    failView_->setVisible(failed);
    sucView_->setVisible(!failed);
    if (openLabel_->text().size() >= kShortestColouredText) {
        setOpenLabel();
    }
}

void ZIPEndWinodwController::setOpenLabel() {
    if (openLabel_->textFormat() == Qt::RichText) {
        return;  // drawn so already
    }
    const QString text = openLabel_->text();
    const qsizetype at = text.indexOf(kLinkPhrase);
    if (at < 0) {
        return;
    }
    openLabel_->setTextFormat(Qt::RichText);
    openLabel_->setText(text.left(at).toHtmlEscaped() +
                        QStringLiteral("<span style=\"color:%1\">").arg(getColor(65, 98, 255, 1).name()) +
                        kLinkPhrase.toHtmlEscaped() + QStringLiteral("</span>") +
                        text.mid(at + kLinkPhrase.size()).toHtmlEscaped());
}

void ZIPEndWinodwController::openPathButtonAction() {
    qCInfo(lcApp, "---%s", qUtf8Printable(openUrl_));
    if (revealHook()) {
        revealHook()(openUrl_);
    } else {
        platform::revealInFileBrowser(openUrl_);
    }
}

void ZIPEndWinodwController::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void ZIPEndWinodwController::failCancelButtonAction() {
    closeWindow();
}

void ZIPEndWinodwController::succCancelButtonAction() {
    closeWindow();
}
