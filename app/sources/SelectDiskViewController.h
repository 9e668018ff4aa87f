#pragma once

#include "app/sources/DiskListVCDelegate.h"
#include "services/disks/VolumeObj.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DiskListViewController;
class QLabel;
class QProgressBar;
class QScrollArea;
class SelectDiskVCDelegate;

// The disk picker: the drives a screen offers in its popover, one tile per drive in a scrolling list under
// the headings "Internal Drives" and "External Drives". A screen makes a new picker for each opening, sets
// its delegate and its mode, and shows it (in the popover); the list is built once, when the picker is first
// shown: on the global queue, with a spinner meanwhile, each drive looked up on its own. The tiles are laid
// out on the main thread 0.2 seconds after the first drives have answered, and again, with the late one in
// its place, whenever a slower drive answers. A click on a tile reaches the delegate with the tile's record.
//
// Two modes:
// - all volumes (the default; Copy Disk, Create Disk Image): every volume mounted under "/Volumes/", split
//   into internal and external by whether it can be ejected. Records carry the volume's name, its mount point
//   as both `volumePath` and `volumeMountPoint`, the file-system name as `volumeType`, the total and free
//   bytes (the container's free bytes for APFS) as counts and texts, and `bCanEject`.
// - external whole disks (`setIsOnlyShowEx(true)`; Clone OS): the whole disks that pass the external-disk
//   filter, all under "External Drives", in a compact layout. Records carry the disk's registry name (or
//   "Unknown"), its BSD identifier ("disk4") as `volumePath`, its total size, mount point and disk UUID, and
//   `bCanEject` set.
//
// A picker destroyed while its enumeration runs is told nothing, and each picker fills only its own list.
class SelectDiskViewController : public QWidget, public DiskListVCDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{392, 400};
    static constexpr std::chrono::milliseconds kShowDelay{200};

    // Where the list's parts go, in the document view's Cocoa coordinates (origin bottom left).
    struct Layout {
        qreal height = 0;
        std::optional<QRectF> internalHeading;
        std::optional<QRectF> externalHeading;
        QList<QRectF> internalTiles;
        QList<QRectF> externalTiles;
    };

    explicit SelectDiskViewController(QWidget* parent = nullptr);
    ~SelectDiskViewController() override;
    SelectDiskViewController(const SelectDiskViewController&) = delete;
    SelectDiskViewController& operator=(const SelectDiskViewController&) = delete;

    // Starts building the list, once, in the mode set by then; showing the picker calls it too.
    void awakeFromNib();
    // Lays out the tiles of `allVolumeArr` (main thread).
    void showView();
    void doSelectDiskWithVolume(const VolumeObj& volume) override;

    // What an enumeration reports, from the global queue: first how many items it will look up, then each
    // item's volume (nothing when it has none) with the item's place in that count, as each lookup ends.
    struct Lookups {
        std::function<void(qsizetype count)> listed;
        std::function<void(qsizetype place, std::optional<VolumeObj> volume)> answered;
    };

    // The enumerations and their steps. They block on diskutil: call them on the global queue. Each item is
    // looked up on a worker of its own, so that one slow lookup holds back no other.
    static void doGetAllVolume_(const Lookups& lookups);
    static void KVGetUSBThreadImp(const Lookups& lookups);
    // The volume of a BSD name; nothing when diskutil knows no volume name for it.
    static std::optional<VolumeObj> getVolumeAllObjWithVolumeName(const QString& bsdName);
    // The whole disk of a BSD name when it passes the external-disk filter.
    static std::optional<VolumeObj> KVAddDiskToUSBObj(const QString& bsdName);
    // "diskutil info -plist <name>" and "diskutil info -plist /dev/<name>".
    static std::optional<QVariantMap> getDisjInfo(const QString& name);
    static std::optional<QVariantMap> KVGetDiskInfo(const QString& bsdName);

    static Layout layoutFor(qsizetype internalCount, qsizetype externalCount, bool onlyShowEx);

    SelectDiskVCDelegate* selectDiskVCDelegate() const { return selectDiskVCDelegate_; }
    void setSelectDiskVCDelegate(SelectDiskVCDelegate* delegate) { selectDiskVCDelegate_ = delegate; }
    bool isOnlyShowEx() const { return isOnlyShowEx_; }
    // Takes effect only before the list is built.
    void setIsOnlyShowEx(bool onlyShowEx) { isOnlyShowEx_ = onlyShowEx; }
    const QList<VolumeObj>& allVolumeArr() const { return allVolumeArr_; }
    // True from the start of the build until every lookup has answered and its tile is laid out.
    bool isLoading() const { return isLoading_; }
    QWidget* DiskListScrollView() const { return DiskListScrollView_; }
    QScrollArea* listScrollView() const { return listScrollView_; }
    // The clip view's document view, which holds the headings and the tiles.
    QWidget* documentView() const;
    QProgressBar* loadP() const { return loadP_; }
    // The tiles in list order (internal first), and the headings shown.
    QList<DiskListViewController*> tiles() const;
    QList<QLabel*> headings() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    using Owner = std::atomic<SelectDiskViewController*>;

    static void lookUpEach(const QStringList& names, std::optional<VolumeObj> (*lookUp)(const QString&),
                           const Lookups& lookups);
    void listed(qsizetype count);
    void answered(qsizetype place, std::optional<VolumeObj> volume);
    void scheduleShowView();
    void addHeading(QWidget* document, const QString& text, const QRectF& frame);
    void addTile(QWidget* document, const VolumeObj& volume, const QRectF& frame, bool compact);

    QWidget* DiskListScrollView_ = nullptr;
    QScrollArea* listScrollView_ = nullptr;
    QProgressBar* loadP_ = nullptr;
    QList<VolumeObj> allVolumeArr_;
    bool isOnlyShowEx_ = false;
    bool started_ = false;
    bool isLoading_ = false;
    bool showScheduled_ = false;
    std::vector<std::optional<VolumeObj>> answers_;  // by place in the enumeration
    qsizetype pendingLookups_ = 0;
    // Cleared when the picker goes, so that a running enumeration delivers nothing.
    std::shared_ptr<Owner> owner_;
    SelectDiskVCDelegate* selectDiskVCDelegate_ = nullptr;
};
