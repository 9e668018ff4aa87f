#include "app/copy/CopyProgreWindowController.h"

#include "app/copy/CopyProgreWCDelegate.h"
#include "app/copy/CopySorFWindowController.h"
#include "platform/LogCategories.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
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

QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);  // owned by the parent
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFont(kit::systemFont(pixelSize, bold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, getColor(79, 79, 98, bold ? 1 : 0.8));
    label->setPalette(palette);
    kit::setCocoaFrame(label, frame);
    return label;
}

}  // namespace

CopyProgreWindowController::CopyProgreWindowController() = default;

CopyProgreWindowController::~CopyProgreWindowController() {
    if (window_) {
        window_->setDelegate(nullptr);
    }
}

TCImageWindow* CopyProgreWindowController::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

QWidget* CopyProgreWindowController::titleBarView() const {
    return window_ ? window_->titleBarView() : nullptr;
}

void CopyProgreWindowController::loadWindow() {
    window_ = std::make_unique<TCImageWindow>(kContentSize);  // clear, and movable by its background
    QWidget* content = window_->contentView();
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));  // owned by the view
    titleLabel_ = addLabel(content, kTitleFrame, 16, true, Qt::AlignHCenter);
    titleLabel_->setText(QStringLiteral("Copying files…"));

    normalView_ = new QWidget(content);  // owned by the content view
    kit::setCocoaFrame(normalView_, kNormalFrame);
    proView_ = new QProgressBar(normalView_);
    proView_->setRange(0, 0);  // no range: the platform's spinning indicator
    proView_->setTextVisible(false);
    kit::setCocoaFrame(proView_, kSpinnerFrame);
    pathLabel_ = addLabel(normalView_, kPathFrame, 12, false, Qt::AlignLeft);
    rogressView_ = new ProgressView(normalView_);
    kit::setCocoaFrame(rogressView_, kBarFrame);

    cancelButton_ = new CancelTextImageButton(content);
    kit::setCocoaFrame(cancelButton_, kCancelFrame);
    connect(cancelButton_, &QAbstractButton::clicked, this, &CopyProgreWindowController::cancelButtonAction);
}

void CopyProgreWindowController::windowDidLoad() {
    window_->setTitleBarHeight(22);
    window_->setTrafficLightButtonsLeftMargin(15);
    window_->setTopButtonMoveUp(-5);
    auto* cap = new PopWTopBgView(window_->titleBarView());  // owned by the title bar view
    kit::setCocoaFrame(cap, QRectF(0, -10, 560, 40));
    cap->lower();
    cancelButton_->setButtonEnabled(true);
    cancelButton_->setImageFromFileNormalName(QStringLiteral("btn_sec"), QStringLiteral("btn_sec_press"),
                                              QStringLiteral("btn_sec_hover"),
                                              QStringLiteral("btn_sec_disable"));
    cancelButton_->setTextWithName(QStringLiteral("Cancel"));
    proView_->show();
    pathLabel_->setText(QStringLiteral(" "));
    rogressView_->changeProgressValue(0);
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(window_->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
    // A close that does not come through the close button (the window manager's) ends the run the same way.
    window_->setDelegate(this);
}

void CopyProgreWindowController::changePathValue(const QString& path) {
    if (!finished_) {
        pathLabel_->setText(path);
    }
}

void CopyProgreWindowController::changeProValue(float percent) {
    if (finished_) {
        return;
    }
    rogressView_->changeProgressValue(percent);
    if (percent >= 100.0F) {
        finish();
        qCInfo(lcApp, "1---%s", qUtf8Printable(openUrl_));
        showResult(false, QString());
    }
}

void CopyProgreWindowController::cancelButtonAction() {
    if (finished_) {
        return;
    }
    if (delegate_ != nullptr) {
        delegate_->cancelCopy();
    }
    showFailView(QStringLiteral("You have stopped the copying process."));
}

void CopyProgreWindowController::showFailView(const QString& message) {
    if (finished_) {
        return;
    }
    finish();
    showResult(true, message);
}

void CopyProgreWindowController::closeWindow() {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (delegate_ != nullptr) {
        delegate_->cancelCopy();
    }
    proView_->hide();
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void CopyProgreWindowController::windowWillClose(QWidget* /*window*/) {
    closeWindow();
}

void CopyProgreWindowController::finish() {
    finished_ = true;
    proView_->hide();
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void CopyProgreWindowController::showResult(bool failed, const QString& message) {
    sorFWC_ = std::make_unique<CopySorFWindowController>();
    kit::centerWindow(sorFWC_->window());
    if (failed) {
        sorFWC_->errorLable()->setText(message);
    } else {
        sorFWC_->setOpenUrl(openUrl_);
    }
    sorFWC_->showFaile(failed);
    kit::ModalRun::runModalForWindow(sorFWC_->window());
}
