#include "services/disks/CVolumeMgr.h"

#include "platform/Dispatch.h"
#include "platform/FileManager.h"
#include "platform/LogCategories.h"
#include "platform/PropertyList.h"
#include "platform/TestSettings.h"
#include "platform/ToolProcess.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"

#include <QSet>

#include <algorithm>
#include <atomic>

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kBusy = std::chrono::seconds(1);
std::atomic_bool busy{false};

constexpr milliseconds kDefaultEnumerationDeadline = std::chrono::minutes(2);
std::atomic<milliseconds::rep> enumerationDeadlineMs{kDefaultEnumerationDeadline.count()};

constexpr quint64 kTinyVolumeBytes = 30000000;

QString text(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toString();
}

bool ejectable(const QVariantMap& info) {
    return info.value(QStringLiteral("Ejectable")).toBool();
}

// Rules on the list entry and on diskutil info before the system volume is looked for.
bool hiddenByEntry(const QVariantMap& entry) {
    static const QSet<QString> contents{"Apple_Boot", "EFI", "Apple_CoreStorage", "Apple_APFS"};
    static const QSet<QString> mountPoints{"/System/Volumes/Update/mnt1", "/System/Volumes/Data"};
    return contents.contains(text(entry, "Content")) ||
           text(entry, "FilesystemName") == u"Case-sensitive APFS" ||
           mountPoints.contains(text(entry, "MountPoint"));
}

bool hiddenByInfo(const QVariantMap& info) {
    static const QSet<QString> contents{"Apple_Boot", "EFI", "Apple_CoreStorage"};
    const bool unnamed =
        text(info, "VolumeName").isEmpty() && info.value(QStringLiteral("TotalSize")).toULongLong() != 0;
    return text(info, "BusProtocol") == u"Disk Image" || contents.contains(text(info, "Content")) ||
           (text(info, "MountPoint").isEmpty() && !ejectable(info)) || (unnamed && !ejectable(info));
}

bool hiddenSystemMount(const QVariantMap& info) {
    static const QSet<QString> auxiliary{"/System/Volumes/Update", "/System/Volumes/iSCPreboot",
                                         "/System/Volumes/xarts", "/System/Volumes/Hardware"};
    static const QSet<QString> system{"/System/Volumes/Data", "/System/Volumes/VM"};
    const QString mountPoint = text(info, "MountPoint");
    return mountPoint == u"/System/Volumes/Update/mnt1" ||
           (auxiliary.contains(mountPoint) && !ejectable(info)) || system.contains(mountPoint);
}

bool tiny(const QVariantMap& info) {
    const quint64 total = info.value(QStringLiteral("TotalSize")).toULongLong();
    qCDebug(lcServices, "+++++++: %llu", static_cast<unsigned long long>(total));
    return total >= 1 && total < kTinyVolumeBytes;
}

}  // namespace

QString convertSize2String(quint64 bytes) {
    if (bytes < 1000) {
        return QString::asprintf("%llu byte", static_cast<unsigned long long>(bytes));
    }
    const auto count = static_cast<float>(bytes);
    const auto print = [](float value, const char* unit) {
        return QString::asprintf("%0.2f %s", static_cast<double>(value), unit);
    };
    if (bytes < 1000000) {
        return print(count / 1000.0F, "KB");
    }
    if (bytes < 1000000000) {
        return print(count / 1000000.0F, "MB");
    }
    return print(count / 1000000000.0F, "GB");
}

namespace disk {

milliseconds enumerationDeadline() {
    return milliseconds(enumerationDeadlineMs.load());
}

void setEnumerationDeadlineForTesting(milliseconds deadline) {
    platform::restoreAfterTest(
        [old = enumerationDeadlineMs.exchange(deadline.count())] { enumerationDeadlineMs.store(old); });
}

}  // namespace disk

milliseconds CVolumeMgr::timeLeft() const {
    if (!enumerationEnd_) {
        return disk::lookupDeadline();
    }
    const auto left =
        std::chrono::duration_cast<milliseconds>(*enumerationEnd_ - std::chrono::steady_clock::now());
    return std::clamp(left, milliseconds(0), disk::lookupDeadline());
}

std::optional<QList<QVariantMap>> CVolumeMgr::enumDiskVolumesInfo() {
    if (busy.exchange(true)) {
        return std::nullopt;
    }
    platform::mainAfter(kBusy, [] { busy.store(false); });

    enumerationEnd_ = std::chrono::steady_clock::now() + disk::enumerationDeadline();
    QList<QVariantMap> volumes;
    const auto list = disk::lookupWithin(disk::DiskUtilCommands::list(), timeLeft());
    if (!list) {
        qCWarning(lcServices) << "diskutil list error";
        enumerationEnd_.reset();
        return volumes;
    }
    bFindOSDisk = false;
    bFirstOSVolume = true;
    for (const QVariant& diskValue : list->value(QStringLiteral("AllDisksAndPartitions")).toList()) {
        if (timeLeft() <= milliseconds(0)) {
            qCWarning(lcServices) << "the volume enumeration passed its deadline with" << volumes.size()
                                  << "volumes";
            break;
        }
        const QVariantMap disk = diskValue.toMap();
        QVariantList entries = disk.value(QStringLiteral("Partitions")).toList();
        const bool noPartitions = entries.isEmpty();
        if (noPartitions) {
            entries = disk.value(QStringLiteral("APFSVolumes")).toList();
        }
        if (entries.isEmpty() && !text(disk, "Content").isEmpty()) {
            continue;
        }
        if (noPartitions) {
            const auto info = KVGetDiskInfo(text(disk, "DeviceIdentifier"));
            if (info && info->contains(QStringLiteral("FilesystemName"))) {
                volumes.append(MakeVolumeInfo(*info));
            }
        }
        DiskIds ids;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (auto volume = volumeForEntry(entries[i].toMap(), static_cast<int>(i), ids)) {
                volumes.append(std::move(*volume));
            }
        }
    }
    enumerationEnd_.reset();
    return volumes;
}

std::optional<QVariantMap> CVolumeMgr::volumeForEntry(const QVariantMap& entry, int index, DiskIds& ids) {
    if (hiddenByEntry(entry)) {
        return std::nullopt;
    }
    const auto info = KVGetDiskInfo(text(entry, "DeviceIdentifier"));
    if (!info || hiddenByInfo(*info)) {
        return std::nullopt;
    }
    JustOSVolume(index);
    if (hiddenSystemMount(*info) || tiny(*info)) {
        return std::nullopt;
    }
    QVariantMap volume = MakeVolumeInfo(*info);
    const QString name = text(volume, "volumeName");
    static const QSet<QString> firmware{"iSCPreboot", "xART", "Hardware"};
    static const QSet<QString> helpers{"Preboot", "Recovery", "VM"};
    if (firmware.contains(name) && !ejectable(*info)) {
        return std::nullopt;
    }
    if (helpers.contains(name)) {
        if (text(*info, "MountPoint").isEmpty()) {
            return std::nullopt;
        }
        if (!ids.taken) {
            ids = {true, text(*info, "RecoveryDeviceIdentifier"), text(*info, "BooterDeviceIdentifier")};
        }
        const QString identifier = text(entry, "DeviceIdentifier");
        if ((name == u"Recovery" && identifier == ids.recovery) ||
            (name == u"Preboot" && identifier == ids.booter)) {
            return std::nullopt;
        }
    }
    return volume;
}

std::optional<QVariantMap> CVolumeMgr::KVGetDiskInfo(const QString& bsdName) {
    const milliseconds left = timeLeft();
    if (bsdName.isNull() || left <= milliseconds(0)) {
        return std::nullopt;
    }
    return disk::lookupWithin(disk::DiskUtilCommands::info(QStringLiteral("/dev/") + bsdName), left);
}

QVariantMap CVolumeMgr::MakeVolumeInfo(const QVariantMap& diskInfo) {
    quint64 free = diskInfo.value(QStringLiteral("FreeSpace")).toULongLong();
    if (free == 0) {
        free = diskInfo.value(QStringLiteral("APFSContainerFree")).toULongLong();
    }
    const quint64 total = diskInfo.value(QStringLiteral("TotalSize")).toULongLong();
    const bool system = bFindOSDisk && bFirstOSVolume;
    if (system) {
        bFirstOSVolume = false;
    }
    const QString name = text(diskInfo, "VolumeName");
    QVariantMap volume{
        {QStringLiteral("FreeSpace"), QString::number(free)},
        {QStringLiteral("TotalSize"), QString::number(total)},
        {QStringLiteral("OSvolume"), system ? QStringLiteral("YES") : QStringLiteral("NO")},
        {QStringLiteral("volumeName"), name.isEmpty() ? QStringLiteral("Untitled") : name},
        {QStringLiteral("volumeTotalSize"), convertSize2String(total)},
        {QStringLiteral("volumeFreeSize"), convertSize2String(free)},
    };
    if (diskInfo.contains(QStringLiteral("DeviceIdentifier"))) {
        volume.insert(QStringLiteral("volumePath"), text(diskInfo, "DeviceIdentifier"));
    }
    for (const char* key : {"Writable", "Ejectable"}) {
        if (diskInfo.contains(QLatin1String(key))) {
            volume.insert(QLatin1String(key), diskInfo.value(QLatin1String(key)).toBool());
        }
    }
    qCDebug(lcServices, "strEjectable : %s", qUtf8Printable(text(diskInfo, "Ejectable")));
    for (const char* key :
         {"BusProtocol", "FilesystemName", "DeviceNode", "MountPoint", "ParentWholeDisk", "DiskUUID"}) {
        if (diskInfo.contains(QLatin1String(key))) {
            volume.insert(QLatin1String(key), text(diskInfo, key));
        }
    }
    return volume;
}

void CVolumeMgr::JustOSVolume(int index) {
    if (bFindOSDisk) {
        return;
    }
    const auto root = platform::FileManager::volumeRootForIndex(index);
    if (!root) {
        return;
    }
    qCDebug(lcServices, "volRootDir = %s, iIndex = %d", qUtf8Printable(*root), index);
    if (*root == u"/") {
        bFindOSDisk = true;
    }
}

void CVolumeMgr::changeIValue() {
    busy.store(false);
}

QVariantList CVolumeMgr::listAllDisksAndPartitions() {
    const platform::ToolResult result =
        platform::ToolProcess::run(disk::DiskUtilCommands::list(), disk::lookupDeadline());
    const auto list = platform::PropertyList::dictionaryFromBytes(result.output);
    if (!list || disk::DiskUtilCommands::isErrorDocument(*list)) {
        return {};
    }
    qCDebug(lcServices).noquote().nospace() << "B-------" << *list;
    return disk::diskTree(*list);
}

namespace disk {

QVariantList diskTree(const QVariantMap& list) {
    // A list entry carries "Size"; "TotalSize" only where a fixture adds it.
    const auto size = [](const QVariantMap& entry) {
        return entry.value(entry.contains(QStringLiteral("TotalSize")) ? QStringLiteral("TotalSize")
                                                                       : QStringLiteral("Size"));
    };
    QVariantList disks;
    for (const QVariant& diskValue : list.value(QStringLiteral("AllDisksAndPartitions")).toList()) {
        const QVariantMap disk = diskValue.toMap();
        QVariantList partitions;
        for (const QVariant& partitionValue : disk.value(QStringLiteral("Partitions")).toList()) {
            const QVariantMap partition = partitionValue.toMap();
            partitions.append(QVariantMap{{QStringLiteral("name"), text(partition, "VolumeName")},
                                          {QStringLiteral("size"), size(partition)},
                                          {QStringLiteral("mountPoint"), text(partition, "MountPoint")}});
        }
        disks.append(QVariantMap{{QStringLiteral("name"), text(disk, "DeviceIdentifier")},
                                 {QStringLiteral("size"), size(disk)},
                                 {QStringLiteral("partitions"), partitions}});
    }
    return disks;
}

}  // namespace disk
