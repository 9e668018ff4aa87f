#include "app/image/ZIPProgressWindowController.h"

#include "app/image/WindowParts.h"
#include "app/image/ZIPEndWinodwController.h"
#include "app/image/ZIPProgressWCDelegate.h"
#include "app/sources/ViewParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QLabel>
#include <QProgressBar>

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

ZIPProgressWindowController::ZIPProgressWindowController() = default;

ZIPProgressWindowController::~ZIPProgressWindowController() {
    if (window_) {
        window_->setDelegate(nullptr);
    }
}

TCImageWindow* ZIPProgressWindowController::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

QWidget* ZIPProgressWindowController::titleBarView() const {
    return window_ ? window_->titleBarView() : nullptr;
}

void ZIPProgressWindowController::loadWindow() {
    window_ = image::makeDialogWindow(kContentSize);
    QWidget* content = window_->contentView();
    titleLabel_ = image::addCentredLabel(content, kTitleFrame, 16, true, QStringLiteral("Creating…"));

    normalView_ = new QWidget(content);  // owned by the content view
    kit::setCocoaFrame(normalView_, kNormalFrame);
    proView_ = new QProgressBar(normalView_);  // owned by the view
    proView_->setRange(0, 0);                  // no range: the platform's spinning indicator
    proView_->setTextVisible(false);
    kit::setCocoaFrame(proView_, kSpinnerFrame);
    pathLabel_ = sources::addLabel(normalView_, kPathFrame, 12, sources::textColor(0.8));
    pathLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    rogressView_ = new ProgressView(normalView_);  // owned by the view
    kit::setCocoaFrame(rogressView_, kBarFrame);

    cancelButton_ = new CancelTextImageButton(content);  // owned by the content view
    kit::setCocoaFrame(cancelButton_, kCancelFrame);
    connect(cancelButton_, &QAbstractButton::clicked, this, &ZIPProgressWindowController::cancelButtonAction);
}

void ZIPProgressWindowController::windowDidLoad() {
    end_ = false;
    image::setButtonFamily(cancelButton_, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));
    proView_->show();
    pathLabel_->setText(QStringLiteral(" "));
    rogressView_->changeProgressValue(0);
    image::setCloseAction(window_.get(), [this] { closeWindow(); });
    // A close that does not come through the close button (the window manager's) ends the job the same way.
    window_->setDelegate(this);
}

QString ZIPProgressWindowController::shownText(const QString& text) {
    const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'));
    const bool isZipChunk =
        text.contains(QLatin1String("(stored")) || text.contains(QLatin1String("(deflated"));
    if (!isZipChunk || lineFeed < 0) {
        return text;
    }
    // A chunk of one line ends in its line feed: its line is what there is to show.
    const QString after = text.mid(lineFeed + 1).trimmed();
    return after.isEmpty() ? text.left(lineFeed).trimmed() : after;
}

void ZIPProgressWindowController::changePathValue(const QString& text, float percent) {
    if (end_) {
        return;
    }
    pathLabel_->setText(shownText(text));
    rogressView_->changeProgressValue(percent);
    if (percent >= 100.0F) {
        finish();
        showResult(false, QString());
    }
}

void ZIPProgressWindowController::cancelButtonAction() {
    if (end_) {
        return;
    }
    if (delegate_ != nullptr) {
        delegate_->cancelMakeZip();
    }
    showErrorView(kStoppedMessage);
}

void ZIPProgressWindowController::showErrorView(const QString& message) {
    if (end_) {
        return;
    }
    finish();
    showResult(true, message);
}

void ZIPProgressWindowController::closeWindow() {
    if (end_) {
        return;
    }
    finish();
    if (delegate_ != nullptr) {
        delegate_->cancelMakeZip();
    }
}

void ZIPProgressWindowController::windowWillClose(QWidget* /*window*/) {
    closeWindow();
}

void ZIPProgressWindowController::finish() {
    end_ = true;
    proView_->hide();
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void ZIPProgressWindowController::showResult(bool failed, const QString& message) {
    endWC_ = std::make_unique<ZIPEndWinodwController>();
    kit::centerWindow(endWC_->window());
    endWC_->setOpenUrl(openUrl_);
    endWC_->errorLabel()->setText(message);
    endWC_->showFaile(failed);
    kit::ModalRun::runModalForWindow(endWC_->window());
}
