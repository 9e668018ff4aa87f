#pragma once

#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <chrono>
#include <optional>

// Enumerates the volumes that the screens list, from diskutil, leaving out Apple's system, auxiliary,
// image and tiny volumes. Each listed volume is a volume dictionary with the keys "volumeName",
// "volumePath" (BSD identifier), "volumeTotalSize" and "volumeFreeSize" (size texts), "TotalSize" and
// "FreeSpace" (decimal texts), "OSvolume", and, when diskutil gives them, "Writable", "BusProtocol",
// "Ejectable", "FilesystemName", "DeviceNode", "MountPoint", "ParentWholeDisk" and "DiskUUID".
// An enumeration blocks on diskutil: run it on the global queue. One process-wide busy flag holds
// enumerations about a second apart; the main thread's event loop clears it. Each lookup has the lookup
// deadline and the enumeration as a whole its own: a hung diskutil costs one deadline, not one per volume,
// and at the enumeration's deadline it ends with the volumes found so far.
class CVolumeMgr {
public:
    // Nothing while another enumeration began less than about a second ago; an empty list when
    // diskutil's list cannot be read.
    std::optional<QList<QVariantMap>> enumDiskVolumesInfo();
    // diskutil info -plist /dev/<name>; nothing for a null name or no information.
    std::optional<QVariantMap> KVGetDiskInfo(const QString& bsdName);
    QVariantMap MakeVolumeInfo(const QVariantMap& diskInfo);
    // Recognises the system volume: the File Manager's volume of this index is "/".
    void JustOSVolume(int index);
    void changeIValue();
    // Disks ("name", "size", "partitions") with their partitions ("name", "size", "mountPoint").
    QVariantList listAllDisksAndPartitions();

private:
    struct DiskIds {
        bool taken = false;
        QString recovery;
        QString booter;
    };
    std::optional<QVariantMap> volumeForEntry(const QVariantMap& entry, int index, DiskIds& ids);
    std::chrono::milliseconds timeLeft() const;

    bool bFindOSDisk = false;
    bool bFirstOSVolume = true;
    std::optional<std::chrono::steady_clock::time_point> enumerationEnd_;  // while an enumeration runs
};

namespace disk {

// The tree of listAllDisksAndPartitions from a "diskutil list -plist" dictionary.
QVariantList diskTree(const QVariantMap& list);

// Two minutes unless a test shortens it.
std::chrono::milliseconds enumerationDeadline();
void setEnumerationDeadlineForTesting(std::chrono::milliseconds deadline);

}  // namespace disk

// The enumeration's size text: single precision, no terabyte step.
QString convertSize2String(quint64 bytes);
