#include "services/jobs/KVUSBControl.h"

#include "platform/Dispatch.h"
#include "platform/LogCategories.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/disks/KVTask.h"
#include "services/jobs/SpotlightStore.h"
#include "services/jobs/VolumeOnDisk.h"
#include "services/utilities/KVLog.h"

#include <QStringList>

#include <chrono>

namespace {

constexpr quint64 kMinimumDiskSize = 2'500'000'000;
constexpr quint64 kMinimumFreeSpace = 2'600'000'000;
constexpr quint64 kBootableVolumeSize = 2'500'000'000;
constexpr std::chrono::seconds kResizeTimeout{60};
const QString kVolumeName = QStringLiteral("TavrunSystem");
const QString kVolumesFolder = QStringLiteral("/Volumes");

QString text(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toString();
}

quint64 number(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toULongLong();
}

// Large enough to carry a system, and a plain USB disk: no image, RAID set, encrypted or HFSX disk.
bool isUsableUsbDisk(const QVariantMap& info) {
    return info.value(QStringLiteral("WholeDisk")).toBool() && text(info, "BusProtocol") == u"USB" &&
           !info.value(QStringLiteral("RAIDMaster")).toBool() &&
           !info.value(QStringLiteral("CoreStorageEncrypted")).toBool() &&
           text(info, "Content") != u"Apple_HFSX" && number(info, "TotalSize") >= kMinimumDiskSize &&
           text(info, "VirtualOrPhysical") != u"Virtual";
}

QString describe(const QList<QVariantMap>& list) {
    QStringList records;
    for (const QVariantMap& record : list) {
        records << QStringLiteral("%1 %2 bytes \"%3\"")
                       .arg(record.value(KVUSBControl::kBsdName).toString())
                       .arg(record.value(KVUSBControl::kTotalSize).toULongLong())
                       .arg(record.value(KVUSBControl::kMediaName).toString());
    }
    return QLatin1Char('(') + records.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString volumePath(const QString& name) {
    return kVolumesFolder + QLatin1Char('/') + name;
}

}  // namespace

KVUSBControl* KVUSBControl::KVShareInstance() {
    static KVUSBControl* instance = new KVUSBControl;  // never destroyed
    return instance;
}

QList<QVariantMap> KVUSBControl::KVGetUSBList() const {
    std::lock_guard guard(mutex_);
    return usbAllObjs_;
}

QVariantMap KVUSBControl::KVGetErrObjs() const {
    std::lock_guard guard(mutex_);
    return dictErrObjs_;
}

bool KVUSBControl::KVCheckUSBObj(const QVariantMap& record) const {
    std::lock_guard guard(mutex_);
    return !record.isEmpty() && usbAllObjs_.contains(record);
}

std::optional<QVariantMap> KVUSBControl::KVGetDiskInfo(const QString& bsdName) const {
    if (bsdName.isNull()) {
        return std::nullopt;
    }
    return KVExecCommand(disk::DiskUtilCommands::info(QStringLiteral("/dev/") + bsdName));
}

void KVUSBControl::KVGetUSBThreadImp() {
    const QVariantMap list = KVExecCommand(disk::DiskUtilCommands::list()).value_or(QVariantMap());
    for (const QVariant& disk : list.value(QStringLiteral("WholeDisks")).toList()) {
        KVAddDiskToUSBObj(disk.toString().section(QLatin1Char('/'), -1));
    }
    platform::mainAsync([this] { KVCreateDiskCallBack(); });
}

void KVUSBControl::KVAddDiskToUSBObj(const QString& bsdName) {
    if (bsdName.isEmpty()) {
        return;
    }
    {
        std::lock_guard guard(mutex_);
        if (listsDisk(bsdName)) {
            return;
        }
    }
    const auto info = KVGetDiskInfo(bsdName);
    if (!info || !isUsableUsbDisk(*info)) {
        return;
    }
    const QString mediaName = text(*info, "MediaName");
    const QVariantMap record{{kBsdName, bsdName},
                             {kTotalSize, info->value(QStringLiteral("TotalSize"))},
                             {kMediaName, mediaName.isEmpty() ? QStringLiteral("Unknown") : mediaName}};
    std::lock_guard guard(mutex_);
    // The lookup ran unlocked: an appeared disk and a listing may both have got here for one disk.
    if (listsDisk(bsdName)) {
        return;
    }
    usbAllObjs_.append(record);
    KVLog("Add %s", qUtf8Printable(describe(usbAllObjs_)));
}

void KVUSBControl::KVCreateDiskCallBack() {
    if (KVUSBControlDelegate* delegate = delegateObj_.load()) {
        delegate->KVEnumUSBFinishImp();
    }
    if (session_) {
        return;
    }
    session_ = std::make_unique<platform::DiskArbitration::Session>();
    session_->registerDiskAppearedCallback(
        [this](const QString& bsdName) { KVDiskAppearCallback(bsdName, this); });
    session_->registerDiskDisappearedCallback(
        [this](const QString& bsdName) { KVDiskDisappearCallback(bsdName, this); });
}

void KVUSBControl::KVDiskAppearImp(const QString& bsdName) {
    platform::globalAsync([this, bsdName] { KVAddDiskToUSBObj(bsdName); });
}

void KVUSBControl::KVDiskDisappearImp(const QString& bsdName) {
    std::lock_guard guard(mutex_);
    const auto found = std::find_if(usbAllObjs_.begin(), usbAllObjs_.end(), [&](const QVariantMap& record) {
        return record.value(kBsdName).toString() == bsdName;
    });
    if (found != usbAllObjs_.end()) {
        usbAllObjs_.erase(found);
    }
    KVLog("remove %s", qUtf8Printable(describe(usbAllObjs_)));
}

std::optional<QString> KVUSBControl::KVCreateKorvelPartition(const QVariantMap& record) {
    if (record.isEmpty()) {
        return std::nullopt;
    }
    {
        std::lock_guard guard(mutex_);
        dictErrObjs_.clear();
    }
    // Chosen anew: the name of an earlier carving is taken by now, and its volume must not pass for this one.
    NmoCreateVolumeName();
    const QVariantMap list = KVExecCommand(disk::DiskUtilCommands::list()).value_or(QVariantMap());
    QVariantList partitions;
    bool found = false;
    for (const QVariant& entry : list.value(QStringLiteral("AllDisksAndPartitions")).toList()) {
        if (isCancelled()) {
            return std::nullopt;
        }
        const QVariantMap disk = entry.toMap();
        if (text(disk, "DeviceIdentifier") == record.value(kBsdName).toString() &&
            number(disk, "Size") == record.value(kTotalSize).toULongLong()) {
            partitions = disk.value(QStringLiteral("Partitions")).toList();
            found = true;
            break;
        }
    }
    if (!found) {
        return std::nullopt;
    }
    if (partitions.size() < 2) {
        setError(kErrTooSmall);
        return std::nullopt;
    }
    bool noVerdict = true;
    // The first partition (the EFI one on a GUID disk) is never shrunk.
    for (qsizetype i = partitions.size() - 1; i >= 1 && !isCancelled(); --i) {
        const QString identifier = text(partitions.at(i).toMap(), "DeviceIdentifier");
        const auto info = KVGetDiskInfo(identifier);
        if (!info || text(*info, "Content") == u"Apple_Boot" || text(*info, "Content") == u"EFI") {
            continue;
        }
        noVerdict = false;
        if (auto path = carve(record.value(kBsdName).toString(), identifier, *info)) {
            return path;
        }
    }
    if (noVerdict) {
        setError(kErrTooSmall);
    }
    return std::nullopt;
}

std::optional<QString> KVUSBControl::carve(const QString& wholeDisk, const QString& identifier,
                                           const QVariantMap& info) {
    const quint64 freeSpace = number(info, "FreeSpace");
    const quint64 totalSize = number(info, "TotalSize");
    if (text(info, "Content") == u"Apple_CoreStorage") {
        setError(kErrCoreStorage);
        return std::nullopt;
    }
    if (text(info, "MountPoint").isEmpty() && freeSpace == 0) {
        setError(kErrNoFreeSpace);
        return std::nullopt;
    }
    // A total below the new volume's size can only come from a malformed answer; it is no room either.
    if (freeSpace < kMinimumFreeSpace || totalSize < kBootableVolumeSize) {
        setError(kErrTooSmall);
        return std::nullopt;
    }
    jobs::endSpotlightStores();
    const platform::ToolCommand resize = disk::DiskUtilCommands::resizeVolume(
        identifier, totalSize - kBootableVolumeSize, QStringLiteral("JHFS+"), KVGetKorvelVolumeName(),
        kBootableVolumeSize);
    KVTask* task = KVTask::KVShareInstance();
    task->KVResetStop();  // a stop left from an earlier job must not end this one at once
    task->KVSetLaunchPath(resize.program);
    task->KVSetArguments(resize.arguments);
    task->KVSetTimeoutCount(std::chrono::duration<double>(kResizeTimeout).count());
    task->KVStartTask();
    // A folder of that name may be another drive's volume, or a leftover.
    const QString path = KVGetKorvelVolumePath();
    const auto made = KVExecCommand(disk::DiskUtilCommands::info(path));
    if (made && jobs::isMountedOnDisk(*made, path, wholeDisk)) {
        return path;
    }
    setError(kErrNoNewVolume);
    return std::nullopt;
}

void KVUSBControl::NmoCreateVolumeName() {
    QString name = kVolumeName;
    for (int n = 1; KVCheckFolderExist(volumePath(name)); ++n) {
        name = kVolumeName + QString::number(n);
    }
    std::lock_guard guard(mutex_);
    strKorvelVolumeName_ = name;
}

QString KVUSBControl::KVGetKorvelVolumeName() const {
    std::lock_guard guard(mutex_);
    return strKorvelVolumeName_;
}

QString KVUSBControl::KVGetKorvelVolumePath() const {
    const QString name = KVGetKorvelVolumeName();
    return name.isEmpty() ? kVolumesFolder : volumePath(name);
}

bool KVUSBControl::isCancelled() const {
    KVUSBControlDelegate* delegate = delegateObj_.load();
    return delegate != nullptr && delegate->KVUserIsCancel();
}

bool KVUSBControl::listsDisk(const QString& bsdName) const {
    return std::any_of(usbAllObjs_.begin(), usbAllObjs_.end(), [&](const QVariantMap& record) {
        return record.value(kBsdName).toString() == bsdName;
    });
}

void KVUSBControl::setError(int code) {
    std::lock_guard guard(mutex_);
    dictErrObjs_ = {{QString(), code}};
}

void KVDiskAppearCallback(const QString& bsdName, KVUSBControl* context) {
    if (!bsdName.isEmpty()) {
        context->KVDiskAppearImp(bsdName);
    }
}

void KVDiskDisappearCallback(const QString& bsdName, KVUSBControl* context) {
    if (!bsdName.isEmpty()) {
        context->KVDiskDisappearImp(bsdName);
    }
}
