#include "app/copy/CopySorFWindowController.h"

#include "app/sources/ViewParts.h"
#include "platform/FileBrowser.h"
#include "platform/LogCategories.h"
#include "platform/TestSettings.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/DialogKeys.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

#include <utility>

namespace {

// The layout, in the content view's Cocoa coordinates; both views fill the content view.
constexpr QSizeF kContentSize{420, 190};
constexpr QRectF kTitleFrame{30, 136, 360, 26};
constexpr QRectF kMessageFrame{30, 76, 360, 52};
constexpr QRectF kButtonFrame{150, 20, 120, 36};

std::function<bool(const QString&)>& openFolder() {
    static auto* open = new std::function<bool(const QString&)>;
    return *open;
}

QLabel* addCentredLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold) {
    QLabel* label = sources::addLabel(parent, frame, pixelSize, sources::textColor(bold ? 1 : 0.8));
    label->setFont(kit::systemFont(pixelSize, bold));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

CopySorFWindowController::CopySorFWindowController() = default;

CopySorFWindowController::~CopySorFWindowController() = default;

void CopySorFWindowController::setOpenFolderForTesting(std::function<bool(const QString& folder)> open) {
    platform::restoreAfterTest([old = std::exchange(openFolder(), std::move(open))] { openFolder() = old; });
}

TCImageWindow* CopySorFWindowController::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

QWidget* CopySorFWindowController::addView(const QString& title) {
    auto* view = new QWidget(window_->contentView());  // owned by the content view
    kit::setCocoaFrame(view, QRectF(QPointF(0, 0), kContentSize));
    addCentredLabel(view, kTitleFrame, 16, true)->setText(title);
    return view;
}

void CopySorFWindowController::loadWindow() {
    window_ = std::make_unique<TCImageWindow>(kContentSize);  // clear, and movable by its background
    auto* cap = new PopWTopBgView(window_->titleBarView());   // owned by the title bar view
    kit::setCocoaFrame(cap, QRectF(0, -10, kContentSize.width(), 40));
    kit::setCocoaFrame(new PopWBgView(window_->contentView()), QRectF(QPointF(0, 0), kContentSize));

    sucView_ = addView(QStringLiteral("Copy completed"));
    openLabel_ = addCentredLabel(sucView_, kMessageFrame, 13, false);
    openLabel_->setText(QStringLiteral("Your files are in a new dated folder. Click here to open ") +
                        kLinkPhrase);
    // The whole text is the link: a flat button over it that shows the pointing hand.
    openButton_ = new KVHandButton(sucView_);
    openButton_->setFlat(true);
    openButton_->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    kit::setCocoaFrame(openButton_, kMessageFrame);
    succCancelButton_ =
        kit::addImageButton(sucView_, kButtonFrame, QStringLiteral("btn_sec"), QStringLiteral("Done"));

    failView_ = addView(QStringLiteral("Copy failed"));
    errorLable_ = addCentredLabel(failView_, kMessageFrame, 13, false);
    failCancelButton_ =
        kit::addImageButton(failView_, kButtonFrame, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));

    connect(succCancelButton_, &QAbstractButton::clicked, this,
            &CopySorFWindowController::succCancelButtonAction);
    connect(failCancelButton_, &QAbstractButton::clicked, this,
            &CopySorFWindowController::failCancelButtonAction);
}

void CopySorFWindowController::windowDidLoad() {
    for (auto [button, title] : {std::pair{failCancelButton_, QStringLiteral("Cancel")},
                                 std::pair{succCancelButton_, QStringLiteral("Done")}}) {
        button->setButtonEnabled(true);
        button->setImageFromFileNormalName(QStringLiteral("btn_sec"), QStringLiteral("btn_sec_press"),
                                           QStringLiteral("btn_sec_hover"),
                                           QStringLiteral("btn_sec_disable"));
        button->setTextWithName(title);
    }
    connect(openButton_, &QAbstractButton::clicked, this, &CopySorFWindowController::openPathButtonAction);
    failView_->hide();
    sucView_->hide();
    kit::DialogKeys::install(window_.get(), {succCancelButton_, failCancelButton_},
                             {succCancelButton_, failCancelButton_});
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(window_->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
}

void CopySorFWindowController::showFaile(bool failed) {
    window();
    failView_->setVisible(failed);
    sucView_->setVisible(!failed);
    if (openLabel_->text().size() > 10) {
        setOpenLabel();
    }
}

void CopySorFWindowController::setOpenLabel() {
    if (openLabel_->textFormat() == Qt::RichText) {
        return;  // already drawn so
    }
    const QString text = openLabel_->text();
    const qsizetype at = text.indexOf(kLinkPhrase);
    if (at < 0) {
        return;
    }
    const QColor blue = getColor(65, 98, 255, 1);
    openLabel_->setTextFormat(Qt::RichText);
    openLabel_->setText(text.left(at).toHtmlEscaped() +
                        QStringLiteral("<span style=\"color:%1\">").arg(blue.name()) +
                        kLinkPhrase.toHtmlEscaped() + QStringLiteral("</span>") +
                        text.mid(at + kLinkPhrase.size()).toHtmlEscaped());
}

void CopySorFWindowController::openPathButtonAction() {
    qCInfo(lcApp, "2---%s", qUtf8Printable(openUrl_));
    const bool opened = openFolder() ? openFolder()(openUrl_) : platform::openInFileBrowser(openUrl_);
    if (!opened) {
        // A link that does nothing would leave the user without the copy: say where it is.
        openLabel_->setTextFormat(Qt::PlainText);
        openLabel_->setText(
            QStringLiteral("The folder could not be opened. Your files are in\n%1").arg(openUrl_));
    }
}

void CopySorFWindowController::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void CopySorFWindowController::failCancelButtonAction() {
    closeWindow();
}

void CopySorFWindowController::succCancelButtonAction() {
    closeWindow();
}
