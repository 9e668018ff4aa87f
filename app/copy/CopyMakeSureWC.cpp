#include "app/copy/CopyMakeSureWC.h"

#include "app/copy/CopyMakeSureWCDelegate.h"
#include "app/sources/ViewParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/DialogKeys.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace {

// The layout, in the content view's Cocoa coordinates.
constexpr QSizeF kContentSize{420, 180};
constexpr QRectF kTitleFrame{30, 126, 360, 26};
constexpr QRectF kQuestionFrame{30, 72, 360, 50};
constexpr QRectF kCancelFrame{70, 20, 120, 36};
constexpr QRectF kDoneFrame{230, 20, 120, 36};

QLabel* addCentredLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold, const QString& text) {
    QLabel* label = sources::addLabel(parent, frame, pixelSize, sources::textColor());
    label->setFont(kit::systemFont(pixelSize, bold));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setText(text);
    return label;
}

}  // namespace

CopyMakeSureWC::CopyMakeSureWC() = default;

CopyMakeSureWC::~CopyMakeSureWC() = default;

TCImageWindow* CopyMakeSureWC::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
    }
    return window_.get();
}

QWidget* CopyMakeSureWC::titleBarView() const {
    return window_ ? window_->titleBarView() : nullptr;
}

void CopyMakeSureWC::loadWindow() {
    window_ = std::make_unique<TCImageWindow>(kContentSize);  // clear, and movable by its background
    auto* cap = new PopWTopBgView(window_->titleBarView());   // owned by the title bar view
    kit::setCocoaFrame(cap, QRectF(0, -10, kContentSize.width(), 40));
    QWidget* content = window_->contentView();
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));  // owned by the view

    titleLabel_ = addCentredLabel(content, kTitleFrame, 16, true, QStringLiteral("Copy Disk"));
    addCentredLabel(
        content, kQuestionFrame, 13, false,
        QStringLiteral("The files will be copied into a new folder on the destination drive. Do you "
                       "want to start copying now?"));

    cancelButton_ = new CancelTextImageButton(content);
    kit::setCocoaFrame(cancelButton_, kCancelFrame);
    connect(cancelButton_, &QAbstractButton::clicked, this, &CopyMakeSureWC::cancelButtonAction);
    doneButton_ =
        kit::addImageButton(content, kDoneFrame, QStringLiteral("btn_pri"), QStringLiteral("Copy Now"));
    connect(doneButton_, &QAbstractButton::clicked, this, &CopyMakeSureWC::doneButtonAction);
}

void CopyMakeSureWC::windowDidLoad() {
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(window_->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
    cancelButton_->setButtonEnabled(true);
    cancelButton_->setImageFromFileNormalName(QStringLiteral("btn_sec"), QStringLiteral("btn_sec_press"),
                                              QStringLiteral("btn_sec_hover"),
                                              QStringLiteral("btn_sec_disable"));
    cancelButton_->setTextWithName(QStringLiteral("Cancel"));
    doneButton_->setButtonEnabled(true);
    doneButton_->setImageFromFileNormalName(QStringLiteral("btn_pri"), QStringLiteral("btn_pri_press"),
                                            QStringLiteral("btn_pri_hover"),
                                            QStringLiteral("btn_pri_disable"));
    doneButton_->setTextWithName(QStringLiteral("Copy Now"));
    kit::DialogKeys::install(window_.get(), {doneButton_}, {cancelButton_});
}

void CopyMakeSureWC::closeWindow() {
    window_->close();
    kit::ModalRun::stopModal(window_.get());
}

void CopyMakeSureWC::cancelButtonAction() {
    closeWindow();
}

void CopyMakeSureWC::doneButtonAction() {
    closeWindow();
    if (delegate_ != nullptr) {
        delegate_->beginToCopyFiles();
    }
}
