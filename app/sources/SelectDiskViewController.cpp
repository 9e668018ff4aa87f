#include "app/sources/SelectDiskViewController.h"

#include "app/sources/DiskListViewController.h"
#include "app/sources/SelectDiskVCDelegate.h"
#include "platform/DiskArbitration.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/jobs/VolumeOnDisk.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/tables/TROverlayScrollView.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>

#include <utility>

namespace {

constexpr qreal kTileHeight = 64;
constexpr qreal kMinimumHeight = 400;
constexpr QSizeF kHeadingSize{200, 20};
constexpr QSizeF kSpinnerSize{120, 6};

QString text(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toString();
}

qint64 bytes(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toLongLong();
}

bool flag(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toBool();
}

// An APFS volume's own free space is its container's.
qint64 freeBytes(const QVariantMap& info) {
    return text(info, "FilesystemName").toUpper() == u"APFS" ? bytes(info, "APFSContainerFree")
                                                             : bytes(info, "FreeSpace");
}

void setSizes(VolumeObj& volume, const QVariantMap& info) {
    volume.volumeTotalSizeNum = bytes(info, "TotalSize");
    volume.volumeFreeSizeNum = freeBytes(info);
    volume.volumeTotalSize = KVPublicUtilities::longlongConvertVolSpace(volume.volumeTotalSizeNum);
    volume.volumeFreeSize = KVPublicUtilities::longlongConvertVolSpace(volume.volumeFreeSizeNum);
}

// The rules of the external-disk filter, in their order; the first that holds drops the disk.
bool droppedByFilter(const QVariantMap& info) {
    const QString bus = text(info, "BusProtocol");
    if ((bus == u"PCI-Express" && !flag(info, "Ejectable")) || bus == u"Apple Fabric") {
        return true;
    }
    return flag(info, "RAIDMaster") || flag(info, "CoreStorageEncrypted") ||
           text(info, "Content") == u"Apple_HFSX" || text(info, "VirtualOrPhysical") == u"Virtual";
}

}  // namespace

SelectDiskViewController::SelectDiskViewController(QWidget* parent)
    : QWidget(parent), owner_(std::make_shared<Owner>(this)) {
    resize(kViewSize.toSize());
    DiskListScrollView_ = new QWidget(this);
    DiskListScrollView_->setGeometry(rect());
    listScrollView_ = new QScrollArea(DiskListScrollView_);
    listScrollView_->setGeometry(DiskListScrollView_->rect());
    listScrollView_->setFrameShape(QFrame::NoFrame);
    listScrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listScrollView_->viewport()->setAutoFillBackground(false);
    TROverlayScrollView::installOn(listScrollView_);
    loadP_ = new QProgressBar(this);
    loadP_->setRange(0, 0);  // busy: it runs until the list is laid out
    loadP_->setTextVisible(false);
    kit::setCocoaFrame(loadP_, QRectF(QPointF((kViewSize.width() - kSpinnerSize.width()) / 2,
                                              (kViewSize.height() - kSpinnerSize.height()) / 2),
                                      kSpinnerSize));
    loadP_->hide();
}

SelectDiskViewController::~SelectDiskViewController() {
    owner_->store(nullptr);
}

void SelectDiskViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    awakeFromNib();
}

void SelectDiskViewController::awakeFromNib() {
    if (started_) {
        return;
    }
    started_ = true;
    isLoading_ = true;
    allVolumeArr_.clear();
    loadP_->show();
    // Every report waits until the picker has taken it; a picker that went takes nothing.
    const auto onMain = [owner = owner_](const std::function<void(SelectDiskViewController&)>& step) {
        platform::mainSync([&] {
            if (SelectDiskViewController* self = owner->load()) {
                step(*self);
            }
        });
    };
    const Lookups lookups{[onMain](qsizetype count) { onMain([count](auto& self) { self.listed(count); }); },
                          [onMain](qsizetype place, std::optional<VolumeObj> volume) {
                              onMain([&](auto& self) { self.answered(place, std::move(volume)); });
                          }};
    platform::globalAsync([lookups, externalDisks = isOnlyShowEx_] {
        if (externalDisks) {
            KVGetUSBThreadImp(lookups);
        } else {
            doGetAllVolume_(lookups);
        }
    });
}

void SelectDiskViewController::listed(qsizetype count) {
    answers_.assign(static_cast<std::size_t>(count), std::nullopt);
    pendingLookups_ = count;
    if (count == 0) {
        scheduleShowView();
    }
}

// A volume that answers joins the list in its place; the tiles are laid out again a moment later, once for
// all the answers of that moment. The last answer lays them out too, even when it found nothing.
void SelectDiskViewController::answered(qsizetype place, std::optional<VolumeObj> volume) {
    --pendingLookups_;
    const bool found = volume.has_value();
    answers_.at(static_cast<std::size_t>(place)) = std::move(volume);
    if (found) {
        allVolumeArr_.clear();
        for (const auto& answer : answers_) {
            if (answer) {
                allVolumeArr_.append(*answer);
            }
        }
    }
    if (found || pendingLookups_ == 0) {
        scheduleShowView();
    }
}

void SelectDiskViewController::scheduleShowView() {
    if (std::exchange(showScheduled_, true)) {
        return;
    }
    platform::mainAfter(kShowDelay, [picker = QPointer<SelectDiskViewController>(this)] {
        if (SelectDiskViewController* alive = picker.data()) {
            alive->showScheduled_ = false;
            alive->showView();
        }
    });
}

void SelectDiskViewController::lookUpEach(const QStringList& names,
                                          std::optional<VolumeObj> (*lookUp)(const QString&),
                                          const Lookups& lookups) {
    lookups.listed(names.size());
    for (qsizetype place = 0; place < names.size(); ++place) {
        platform::globalAsync(
            [lookUp, lookups, place, name = names[place]] { lookups.answered(place, lookUp(name)); });
    }
}

void SelectDiskViewController::doGetAllVolume_(const Lookups& lookups) {
    QStringList names;
    QSet<QString> seen;
    const auto entries =
        platform::FileSystem::list(QStringLiteral("/Volumes")).value_or(std::vector<platform::DirEntry>{});
    for (const platform::DirEntry& entry : entries) {
        if (entry.name == u"(null)" || entry.name == u".DS_Store") {
            continue;
        }
        const auto bsdName =
            platform::DiskArbitration::bsdNameForVolumePath(QStringLiteral("/Volumes/") + entry.name);
        // A folder that is no mount point resolves to the volume holding it: that volume is listed once.
        if (!bsdName || bsdName->isEmpty() || *bsdName == u" " || seen.contains(*bsdName)) {
            continue;
        }
        seen.insert(*bsdName);
        names.append(*bsdName);
    }
    lookUpEach(names, getVolumeAllObjWithVolumeName, lookups);
}

std::optional<VolumeObj> SelectDiskViewController::getVolumeAllObjWithVolumeName(const QString& bsdName) {
    const auto info = getDisjInfo(bsdName);
    if (!info || !info->contains(QStringLiteral("VolumeName"))) {
        return std::nullopt;
    }
    VolumeObj volume;
    volume.volumeName = text(*info, "VolumeName");
    volume.bCanEject = flag(*info, "Ejectable");
    volume.volumeType = text(*info, "FilesystemName");
    volume.volumePath = text(*info, "MountPoint");
    volume.volumeMountPoint = volume.volumePath;
    setSizes(volume, *info);
    return volume;
}

void SelectDiskViewController::KVGetUSBThreadImp(const Lookups& lookups) {
    QStringList names;
    const auto list = execCommand(disk::DiskUtilCommands::list());
    // Erasing the disk that holds the running system would destroy it: that disk is never offered.
    const QStringList system =
        list ? jobs::wholeDisksOf(getDisjInfo(QStringLiteral("/")).value_or(QVariantMap())) : QStringList();
    for (const QVariant& wholeDisk :
         list ? list->value(QStringLiteral("WholeDisks")).toList() : QVariantList()) {
        const QString path = wholeDisk.toString();
        const QString name = path.mid(path.lastIndexOf(u'/') + 1);
        if (!system.contains(name)) {
            names.append(name);
        }
    }
    lookUpEach(names, KVAddDiskToUSBObj, lookups);
}

std::optional<VolumeObj> SelectDiskViewController::KVAddDiskToUSBObj(const QString& bsdName) {
    const auto info = KVGetDiskInfo(bsdName);
    if (!info || droppedByFilter(*info)) {
        return std::nullopt;
    }
    const QString registryName = text(*info, "IORegistryEntryName");
    VolumeObj disk;
    disk.volumeName = registryName.isEmpty() ? QStringLiteral("Unknown") : registryName;
    disk.bCanEject = true;
    disk.volumePath = text(*info, "DeviceIdentifier");
    disk.volumeType = QStringLiteral(" ");
    disk.volumeMountPoint = text(*info, "MountPoint");
    disk.diskUUID = text(*info, "DiskUUID");
    setSizes(disk, *info);
    qCInfo(lcApp) << "Add" << disk.volumePath << disk.volumeName;
    return disk;
}

std::optional<QVariantMap> SelectDiskViewController::getDisjInfo(const QString& name) {
    return name.isEmpty() ? std::nullopt : execCommand(disk::DiskUtilCommands::info(name));
}

std::optional<QVariantMap> SelectDiskViewController::KVGetDiskInfo(const QString& bsdName) {
    return bsdName.isEmpty() ? std::nullopt
                             : execCommand(disk::DiskUtilCommands::info(QStringLiteral("/dev/") + bsdName));
}

SelectDiskViewController::Layout SelectDiskViewController::layoutFor(qsizetype internalCount,
                                                                     qsizetype externalCount,
                                                                     bool onlyShowEx) {
    Layout layout;
    const qreal count = static_cast<qreal>(internalCount + externalCount);
    const qreal listHeight = kTileHeight * count + 50;
    const qreal h = layout.height = count < 4 || listHeight < kMinimumHeight ? kMinimumHeight : listHeight;
    const auto tile = [](qreal y) { return QRectF(QPointF(0, y), DiskListViewController::kTileSize); };
    if (!onlyShowEx && internalCount > 0) {
        layout.internalHeading = QRectF(QPointF(15, h - 20), kHeadingSize);
        for (qsizetype i = 0; i < internalCount; ++i) {
            layout.internalTiles.append(tile(h - kTileHeight * static_cast<qreal>(i + 1) - 27));
        }
    }
    const qreal e = onlyShowEx ? 0 : kTileHeight * static_cast<qreal>(internalCount);
    if (externalCount > 0) {
        layout.externalHeading = QRectF(QPointF(15, h - e - (onlyShowEx ? 20 : 43)), kHeadingSize);
        for (qsizetype k = 0; k < externalCount; ++k) {
            layout.externalTiles.append(
                tile(h - kTileHeight * static_cast<qreal>(k + 1) - e - (onlyShowEx ? 18 : 43)));
        }
    }
    return layout;
}

void SelectDiskViewController::showView() {
    loadP_->hide();
    const int scrolled = listScrollView_->verticalScrollBar()->value();
    const bool first = !documentView();
    QList<VolumeObj> internal;
    QList<VolumeObj> external;
    for (const VolumeObj& volume : allVolumeArr_) {
        (volume.bCanEject ? external : internal).append(volume);
    }
    const Layout layout = layoutFor(internal.size(), external.size(), isOnlyShowEx_);
    auto* document = new QWidget;  // owned by the scroll view once set
    document->resize(static_cast<int>(kViewSize.width()), static_cast<int>(layout.height));
    if (layout.internalHeading) {
        addHeading(document, QStringLiteral("Internal Drives"), *layout.internalHeading);
        for (qsizetype i = 0; i < internal.size(); ++i) {
            addTile(document, internal[i], layout.internalTiles[i], false);
        }
    }
    if (layout.externalHeading) {
        addHeading(document, QStringLiteral("External Drives"), *layout.externalHeading);
        for (qsizetype k = 0; k < external.size(); ++k) {
            addTile(document, external[k], layout.externalTiles[k], isOnlyShowEx_);
        }
    }
    listScrollView_->setWidget(document);    // the previous document goes with it
    document->setAutoFillBackground(false);  // on the popover's body, as the scroll view is
    // The top of the list shows; a volume that answers later leaves the list where the user scrolled it.
    listScrollView_->verticalScrollBar()->setValue(first ? 0 : scrolled);
    isLoading_ = pendingLookups_ > 0;
}

void SelectDiskViewController::addHeading(QWidget* document, const QString& title, const QRectF& frame) {
    QLabel* heading =
        kit::addLabel(document, frame, {.pixelSize = 14, .color = kit::darkText(0.6f), .clickThrough = true});
    heading->setText(title);
}

void SelectDiskViewController::addTile(QWidget* document, const VolumeObj& volume, const QRectF& frame,
                                       bool compact) {
    auto* tile = new DiskListViewController(document);
    tile->setDiskListVCDelegate(this);
    tile->setVolumeObj(volume);
    tile->setIsOnlyShowEx(compact);
    kit::setCocoaFrame(tile, frame);
    tile->refreshaView();
}

void SelectDiskViewController::doSelectDiskWithVolume(const VolumeObj& volume) {
    if (selectDiskVCDelegate_) {
        selectDiskVCDelegate_->doSelectDiskWithVolume(volume);
    }
}

QWidget* SelectDiskViewController::documentView() const {
    return listScrollView_->widget();
}

QList<DiskListViewController*> SelectDiskViewController::tiles() const {
    QWidget* document = documentView();
    return document ? document->findChildren<DiskListViewController*>(Qt::FindDirectChildrenOnly)
                    : QList<DiskListViewController*>{};
}

QList<QLabel*> SelectDiskViewController::headings() const {
    QWidget* document = documentView();
    return document ? document->findChildren<QLabel*>(Qt::FindDirectChildrenOnly) : QList<QLabel*>{};
}
