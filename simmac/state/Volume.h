#pragma once

#include <QString>
#include <QVariantMap>

namespace simmac {

// One node that can carry a file system: a partition, an APFS volume, a sealed system snapshot, or the
// whole-disk node of a disk (which carries one only when the disk has no partition scheme).
struct Volume {
    QString id;  // "DeviceIdentifier"
    QString content;
    qint64 size = 0;     // partitions and whole disks; APFS volumes report their container's size
    QString fileSystem;  // "exfat", "msdos-fat32", "hfs", "jhfs", "apfs", … or "" for none
    QString name;
    QString uuid;        // "VolumeUUID"
    QString diskUuid;    // "DiskUUID": the partition GUID; the volume UUID for APFS; none on MBR
    QString mountPoint;  // "" when unmounted
    QString role;
    qint64 usedBytes = 0;  // baseline; files in the content folder come on top
    bool readOnly = false;
    bool damaged = false;
    bool busy = false;
    QString snapshotOf;  // a sealed system snapshot: the volume it was taken of
    QString snapshotName;
    QVariantMap extra;  // merged into the tools' output last

    bool hasFileSystem() const { return !fileSystem.isEmpty(); }
    bool isMounted() const { return !mountPoint.isEmpty(); }
    bool isSnapshot() const { return !snapshotOf.isEmpty(); }
    bool isApfs() const { return fileSystem.startsWith(QLatin1String("apfs")); }

    QVariantMap toMap() const;
    static Volume fromMap(const QVariantMap& map);
};

}  // namespace simmac
