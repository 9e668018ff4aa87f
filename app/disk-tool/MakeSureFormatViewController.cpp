#include "app/disk-tool/MakeSureFormatViewController.h"

#include "app/disk-tool/FormatTypeViewController.h"
#include "app/disk-tool/MakeSureFormatVCDelegate.h"
#include "app/sources/DialogParts.h"
#include "platform/Dispatch.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/NamedImage.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ChildWindows.h"
#include "ui-kit/windows/RPAAttachedWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The layout, in the view's Cocoa coordinates. The type row lies just above where the menu opens.
constexpr QRectF kNameLabelFrame{30, 200, 400, 28};
constexpr QRectF kNodeFrame{30, 156, 400, 40};
constexpr QRectF kNameCaptionFrame{30, 122, 120, 24};
constexpr QRectF kNameFieldFrame{160, 122, 270, 24};
constexpr QRectF kTypeCaptionFrame{30, 86, 120, 24};
constexpr QRectF kTypeLabelFrame{165, 86, 130, 24};
constexpr QRectF kOpenImageFrame{300, 92, 12, 12};
constexpr QRectF kTypeButtonFrame{160, 86, 160, 24};
// Erasing cannot be undone: Cancel is the default, drawn so and placed where the default goes.
constexpr QRectF kOkFrame{180, 22, 120, 36};
constexpr QRectF kNoFrame{310, 22, 120, 36};

}  // namespace

MakeSureFormatViewController::MakeSureFormatViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    nameLabel_ = kit::addLabel(this, kNameLabelFrame, {.pixelSize = 16, .bold = true});
    nodeLabel_ = kit::addLabel(this, kNodeFrame, {.pixelSize = 12, .color = kit::darkText(0.8f)});
    nodeLabel_->setWordWrap(true);
    kit::addLabel(this, kNameCaptionFrame, {.pixelSize = 13})->setText(QStringLiteral("Name:"));
    kit::addLabel(this, kTypeCaptionFrame, {.pixelSize = 13})->setText(QStringLiteral("Format:"));
    nameTextFiled_ = new QLineEdit(this);
    nameTextFiled_->setFont(kit::systemFont(13));
    kit::setCocoaFrame(nameTextFiled_, kNameFieldFrame);
    typeLabel_ = kit::addLabel(this, kTypeLabelFrame, {.pixelSize = 13});
    openImageV_ = new QLabel(this);
    openImageV_->setPixmap(kit::NamedImage::imageNamed(QStringLiteral("ic_open")).pixmap());
    kit::setCocoaFrame(openImageV_, kOpenImageFrame);
    typeSelectBut_ = new QPushButton(this);  // a clear button over the type
    typeSelectBut_->setFlat(true);
    typeSelectBut_->setCursor(Qt::PointingHandCursor);
    typeSelectBut_->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    kit::setCocoaFrame(typeSelectBut_, kTypeButtonFrame);
    noButton_ = kit::addImageButton(this, kNoFrame, QStringLiteral("btn_pri"), QStringLiteral("Cancel"));
    okButton_ = kit::addImageButton(this, kOkFrame, QStringLiteral("btn_sec"), QStringLiteral("Continue"));
    awakeFromNib();
}

MakeSureFormatViewController::~MakeSureFormatViewController() {
    releaseMenu();
}

void MakeSureFormatViewController::awakeFromNib() {
    connect(okButton_, &QAbstractButton::clicked, this, &MakeSureFormatViewController::okButtonAction);
    connect(noButton_, &QAbstractButton::clicked, this, &MakeSureFormatViewController::noButtonAction);
    connect(typeSelectBut_, &QAbstractButton::clicked, this, &MakeSureFormatViewController::openMenuAction);
    kit::DialogKeys::install(this, {noButton_}, {noButton_});
}

void MakeSureFormatViewController::setName(const QString& name, const QString& type) {
    sources::showWithName(nameLabel_, QStringLiteral("Format '%1'?"), name);
    sources::showWithName(
        nodeLabel_,
        QStringLiteral("All data on '%1' will be deleted after format, do you want to format it?"), name);
    nameTextFiled_->setReadOnly(true);
    nameTextFiled_->setText(name);
    typeLabel_->setText(type);
    kit::setTextColor(typeLabel_, kit::darkText());
    openImageV_->show();
    if (type.toLower().contains(QStringLiteral("apfs"))) {
        kit::setTextColor(typeLabel_, QColor::fromRgbF(0, 0, 0, 0.6f));
        openImageV_->hide();
        typeSelectBut_->setEnabled(false);
    }
    chengTextStart();
}

void MakeSureFormatViewController::chengTextStart() {
    // Editable again once the dialog's run serves the main queue, so the field does not grab the text as
    // the window comes up.
    platform::mainAsync([self = QPointer<MakeSureFormatViewController>(this)] {
        if (self) {
            self->nameTextFiled_->setReadOnly(false);
        }
    });
}

void MakeSureFormatViewController::okButtonAction() {
    if (delegate_) {
        delegate_->makeSureToFormatSelectVolumeWithName(nameTextFiled_->text(), typeLabel_->text());
    }
    closeWindow();
}

void MakeSureFormatViewController::noButtonAction() {
    closeWindow();
}

void MakeSureFormatViewController::closeWindow() {
    if (superDelegate_) {
        superDelegate_->close();
    }
}

void MakeSureFormatViewController::openMenuAction() {
    if (isPopSortWin_) {
        return;
    }
    isPopSortWin_ = true;
    releaseMenu();
    formatTypeVC_ = std::make_unique<FormatTypeViewController>();
    formatTypeVC_->setDelegate(this);
    sortAttachedWindow_ = RPAAttachedWindow::initWithView(formatTypeVC_.get(), kMenuPoint, superDelegate_,
                                                          AttachedWindowSideAbove, 0, 0.8f);
    if (superDelegate_) {
        kit::ChildWindows::addChildWindow(superDelegate_, sortAttachedWindow_.get());
    }
    sortAttachedWindow_->show();
    const int opening = ++menuOpenings_;
    platform::mainAfter(kMenuWait, [self = QPointer<MakeSureFormatViewController>(this), opening] {
        if (self && self->menuOpenings_ == opening) {
            self->closeMattachedWindow();
        }
    });
}

void MakeSureFormatViewController::closeMattachedWindow() {
    // Later on the main queue: the menu may be what is calling (a click on one of its rows, the pointer
    // leaving it), and it must not go while it does.
    platform::mainAsync([self = QPointer<MakeSureFormatViewController>(this)] {
        if (!self || !self->isPopSortWin_) {
            return;
        }
        self->isPopSortWin_ = false;
        self->releaseMenu();
    });
}

void MakeSureFormatViewController::releaseMenu() {
    if (sortAttachedWindow_) {
        if (superDelegate_) {
            kit::ChildWindows::removeChildWindow(superDelegate_, sortAttachedWindow_.get());
        }
        sortAttachedWindow_->hide();
    }
    if (formatTypeVC_) {
        formatTypeVC_->setDelegate(nullptr);
    }
    sortAttachedWindow_.reset();
    formatTypeVC_.reset();
}

void MakeSureFormatViewController::mouseEixtView(bool exited) {
    isPopSortWin_ = exited;
    if (exited) {
        closeMattachedWindow();
    }
}

void MakeSureFormatViewController::selectFormatbyType(int index) {
    const QString type = FormatTypeViewController::typeText(index);
    if (!type.isEmpty()) {
        typeLabel_->setText(type);
    }
    mouseEixtView(true);
}
