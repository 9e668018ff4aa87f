#include "app/disk-tool/FristAidViewController.h"

#include "app/disk-tool/FristAidVCDelegate.h"
#include "app/sources/DialogParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QLabel>
#include <QPushButton>

namespace {

// The layout, in the view's Cocoa coordinates.
constexpr QRectF kTopLabelFrame{30, 110, 380, 36};
constexpr QRectF kNoteFrame{30, 72, 380, 34};
constexpr QRectF kCheckFrame{24, 22, 110, 36};
constexpr QRectF kCancelFrame{166, 22, 120, 36};
constexpr QRectF kRepairFrame{296, 22, 120, 36};

}  // namespace

FristAidViewController::FristAidViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    topLabel_ = kit::addLabel(this, kTopLabelFrame, {.pixelSize = 16, .bold = true});
    topLabel_->setWordWrap(true);
    QLabel* note = kit::addLabel(this, kNoteFrame, {.pixelSize = 12, .color = kit::darkText(0.7f)});
    note->setWordWrap(true);
    note->setText(
        QStringLiteral("Verify checks the volume for errors. Run checks it and repairs what it finds; "
                       "the volume is unmounted while it is repaired."));

    cancelBut_ = kit::addImageButton(this, kCancelFrame, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));
    repairBut_ = kit::addImageButton(this, kRepairFrame, QStringLiteral("btn_pri"), QStringLiteral("Run"));
    checkBut_ = new QPushButton(QStringLiteral("Verify"), this);
    checkBut_->setFlat(true);
    checkBut_->setCursor(Qt::PointingHandCursor);
    checkBut_->setFont(kit::systemFont(13));
    checkBut_->setStyleSheet(
        QStringLiteral("QPushButton { color: #4162FF; border: none; background: transparent; }"
                       "QPushButton:hover { text-decoration: underline; }"));
    kit::setCocoaFrame(checkBut_, kCheckFrame);
    awakeFromNib();
}

void FristAidViewController::awakeFromNib() {
    connect(cancelBut_, &QAbstractButton::clicked, this, &FristAidViewController::closeWindow);
    connect(checkBut_, &QAbstractButton::clicked, this, &FristAidViewController::checkButAction);
    connect(repairBut_, &QAbstractButton::clicked, this, &FristAidViewController::repaireButAction);
    kit::DialogKeys::install(this, {repairBut_}, {cancelBut_});
}

void FristAidViewController::changeAidDiskName(const QString& name) {
    sources::showWithName(topLabel_, QStringLiteral("Run First Aid on '%1'?"), name);
}

void FristAidViewController::closeWindow() {
    if (superDelegate_) {
        superDelegate_->close();
    }
}

void FristAidViewController::checkButAction() {
    closeWindow();
    if (delegate_) {
        delegate_->checkDiskAction();
    }
}

void FristAidViewController::repaireButAction() {
    closeWindow();
    if (delegate_) {
        delegate_->repairDiskAction();
    }
}
