#include "app/sources/DiskListViewController.h"

#include "app/sources/DiskListVCDelegate.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/ImageControl.h"

#include <QLabel>
#include <QTextDocument>

namespace {

// The tile's layout, in its Cocoa coordinates.
constexpr QRectF kIconFrame{20, 8, 48, 48};
constexpr QRectF kNameFrame{76, 32, 240, 20};
constexpr QSizeF kCompactNameSize{180, 14};
constexpr QRectF kSizeFrame{76, 4, 150, 15};
constexpr QRectF kInfoFrame{226, 4, 90, 15};

}  // namespace

DiskListViewController::DiskListViewController(QWidget* parent) : QWidget(parent) {
    resize(kTileSize.toSize());
    aView_ = new DiskListView(this);
    aView_->setGeometry(rect());
    diskIconImageView_ = new kit::ImageControl(aView_, kit::ImageControl::Role::View);
    diskIconImageView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    kit::setCocoaFrame(diskIconImageView_, kIconFrame);
    nameLabel_ = kit::addLabel(aView_, kNameFrame, {.pixelSize = 14, .clickThrough = true});
    sizeLabel_ = kit::addLabel(aView_, kSizeFrame,
                               {.pixelSize = 11, .color = kit::darkText(0.6f), .clickThrough = true});
    diskInfoLabel_ = kit::addLabel(aView_, kInfoFrame,
                                   {.pixelSize = 11, .color = kit::darkText(0.6f), .clickThrough = true});
    diskInfoLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    awakeFromNib();
}

DiskListViewController::~DiskListViewController() {
    aView_->setDiskViewDelegate(nullptr);
}

void DiskListViewController::awakeFromNib() {
    aView_->setDiskViewDelegate(this);
}

QString DiskListViewController::iconName(const VolumeObj& volume, bool selected) {
    QString name = QStringLiteral("ic_disk");
    if (volume.bCanEject) {
        name = QStringLiteral("ic_usb");
    } else if (volume.volumeMountPoint == u"/") {
        name = QStringLiteral("ic_os");
    }
    return selected ? name + QStringLiteral("_sel") : name;
}

float DiskListViewController::usageValue(qint64 totalBytes, qint64 freeBytes) {
    if (totalBytes <= 0) {
        return 0;  // nothing to divide by: the share in use is unknown
    }
    const qint64 freePercent = freeBytes * 100 / totalBytes;
    return freePercent <= 100 ? static_cast<float>(100 - freePercent) : 100.0F;
}

void DiskListViewController::refreshaView() {
    diskIconImageView_->setImageName(iconName(volumeObj_, false));
    nameLabel_->setText(volumeObj_.volumeName);
    nameLabel_->setToolTip(Qt::convertFromPlainText(volumeObj_.volumeName, Qt::WhiteSpaceNoWrap));
    if (isOnlyShowEx_) {
        nameLabel_->setFont(kit::systemFont(12));
        kit::setCocoaFrame(nameLabel_, QRectF(kNameFrame.topLeft(), kCompactNameSize));
        sizeLabel_->setText(volumeObj_.volumeTotalSize);
    } else {
        const qint64 used = volumeObj_.volumeTotalSizeNum - volumeObj_.volumeFreeSizeNum;
        sizeLabel_->setText(QStringLiteral("%1/%2").arg(KVPublicUtilities::longlongDiskSize(used),
                                                        volumeObj_.volumeTotalSize));
    }
    diskInfoLabel_->setText(volumeObj_.volumeType);
    creatDiskSizeProgress();
}

void DiskListViewController::creatDiskSizeProgress() {
    delete sizeProgress_;  // a second refresh replaces the bar instead of stacking another
    sizeProgress_ = new DiskSizeProgress(aView_);
    sizeProgress_->setAttribute(Qt::WA_TransparentForMouseEvents);
    kit::setCocoaFrame(sizeProgress_, kBarFrame);
    sizeProgress_->changeProgressValue(
        usageValue(volumeObj_.volumeTotalSizeNum, volumeObj_.volumeFreeSizeNum));
    if (isOnlyShowEx_) {
        sizeProgress_->changeProgressValue(kCompactBarValue);
    }
    sizeProgress_->show();
}

void DiskListViewController::mouseInView() {
    diskIconImageView_->setImageName(iconName(volumeObj_, true));
}

void DiskListViewController::mouseOutView() {
    diskIconImageView_->setImageName(iconName(volumeObj_, false));
}

void DiskListViewController::doSelectDisk() {
    if (diskListVCDelegate_) {
        diskListVCDelegate_->doSelectDiskWithVolume(volumeObj_);
    }
}
