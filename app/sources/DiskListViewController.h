#pragma once

#include "services/disks/VolumeObj.h"
#include "ui-kit/controls/DiskListView.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

class DiskListVCDelegate;
class DiskSizeProgress;
class QLabel;
namespace kit {
class ImageControl;
}

// One tile of the disk picker, 392 x 64 points: the volume's icon, its name, a size line, a file-system line
// and a usage bar, over a DiskListView that lights up under the pointer and reports clicks. The icon tells
// the kind of volume ("ic_os" for the one mounted at "/", "ic_usb" for an ejectable one, "ic_disk"
// otherwise) and shows its "_sel" variant while the pointer is over the tile. A click hands the tile's
// record to the picker (not owned; the picker owns its tiles).
class DiskListViewController : public QWidget, public DiskListViewDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kTileSize{392, 64};
    static constexpr QRectF kBarFrame{76, 21, 240, 4};
    // Every bar of the external-disk layout shows this value.
    static constexpr float kCompactBarValue = 0.1F;

    explicit DiskListViewController(QWidget* parent = nullptr);
    ~DiskListViewController() override;
    DiskListViewController(const DiskListViewController&) = delete;
    DiskListViewController& operator=(const DiskListViewController&) = delete;

    // Shows `volumeObj` in the layout that `isOnlyShowEx` chooses; call after setting both.
    void refreshaView();
    void creatDiskSizeProgress();
    void mouseInView() override;
    void mouseOutView() override;
    void doSelectDisk() override;

    // The icon of a volume, plain or under the pointer.
    static QString iconName(const VolumeObj& volume, bool selected);
    // The bar's value: the share in use, in percent (100 when the free bytes exceed the total); 0, an empty
    // bar, when the total is unknown or 0.
    static float usageValue(qint64 totalBytes, qint64 freeBytes);

    const VolumeObj& volumeObj() const { return volumeObj_; }
    void setVolumeObj(const VolumeObj& volume) { volumeObj_ = volume; }
    bool isOnlyShowEx() const { return isOnlyShowEx_; }
    void setIsOnlyShowEx(bool onlyShowEx) { isOnlyShowEx_ = onlyShowEx; }
    DiskListVCDelegate* diskListVCDelegate() const { return diskListVCDelegate_; }
    void setDiskListVCDelegate(DiskListVCDelegate* delegate) { diskListVCDelegate_ = delegate; }
    QLabel* nameLabel() const { return nameLabel_; }
    QLabel* sizeLabel() const { return sizeLabel_; }
    QLabel* diskInfoLabel() const { return diskInfoLabel_; }
    kit::ImageControl* diskIconImageView() const { return diskIconImageView_; }
    DiskListView* aView() const { return aView_; }
    DiskSizeProgress* sizeProgress() const { return sizeProgress_; }

private:
    void awakeFromNib();

    QLabel* nameLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QLabel* diskInfoLabel_ = nullptr;
    kit::ImageControl* diskIconImageView_ = nullptr;
    DiskListView* aView_ = nullptr;
    DiskSizeProgress* sizeProgress_ = nullptr;
    VolumeObj volumeObj_;
    bool isOnlyShowEx_ = false;
    DiskListVCDelegate* diskListVCDelegate_ = nullptr;
};
