#include "simmac/diskutil/DiskList.h"

#include "simmac/state/FileSystemType.h"

namespace simmac {
namespace {

void insertIfSet(QVariantMap& map, const char* key, const QString& value) {
    if (!value.isEmpty()) {
        map.insert(QLatin1String(key), value);
    }
}

}  // namespace

QVariantMap DiskList::all() {
    QList<const Disk*> disks;
    for (const Disk& d : state_.disks) {
        disks.append(&d);
    }
    return listing(disks);
}

QVariantMap DiskList::of(const QString& wholeDiskId) {
    const Disk* disk = state_.disk(wholeDiskId);
    return disk ? listing({disk}) : QVariantMap();
}

QVariantMap DiskList::listing(const QList<const Disk*>& disks) {
    QStringList allDisks;
    QStringList wholeDisks;
    QStringList mountedNames;
    QVariantList entries;
    for (const Disk* d : disks) {
        wholeDisks.append(d->id());
        allDisks.append(d->id());
        if (d->whole.isMounted()) {
            mountedNames.append(d->whole.name);
        }
        for (const Volume& v : d->children()) {
            allDisks.append(v.id);
            if (v.isMounted() && v.hasFileSystem()) {
                mountedNames.append(v.name);
            }
        }
        entries.append(diskEntry(*d));
    }
    return {{QStringLiteral("AllDisks"), allDisks},
            {QStringLiteral("AllDisksAndPartitions"), entries},
            {QStringLiteral("VolumesFromDisks"), mountedNames},
            {QStringLiteral("WholeDisks"), wholeDisks}};
}

QVariantMap DiskList::diskEntry(const Disk& disk) {
    QVariantMap entry{
        {QStringLiteral("Content"),
         disk.isContainer() ? FileSystemType::containerContent() : disk.whole.content},
        {QStringLiteral("DeviceIdentifier"), disk.id()},
        {QStringLiteral("OSInternal"), false},
        {QStringLiteral("Size"), disk.whole.size},
    };
    // A container lists an empty array; a disk without a partition scheme has no such key at all.
    if (disk.isContainer() || disk.whole.content.endsWith(QLatin1String("_partition_scheme"))) {
        QVariantList partitions;
        for (const Volume& p : disk.partitions) {
            partitions.append(partitionEntry(p));
        }
        entry.insert(QStringLiteral("Partitions"), partitions);
    }
    if (disk.isContainer()) {
        QVariantList volumes;
        for (const Volume& v : disk.apfsVolumes) {
            volumes.append(apfsEntry(disk, v));
        }
        entry.insert(QStringLiteral("APFSVolumes"), volumes);
        entry.insert(QStringLiteral("APFSPhysicalStores"),
                     QVariantList{QVariantMap{{QStringLiteral("DeviceIdentifier"), disk.physicalStore}}});
    }
    if (disk.whole.hasFileSystem()) {
        entry.insert(QStringLiteral("VolumeName"), disk.whole.name);
        entry.insert(QStringLiteral("VolumeUUID"), disk.whole.uuid);
        insertIfSet(entry, "MountPoint", disk.whole.mountPoint);
    }
    entry.insert(disk.whole.extra);
    return entry;
}

QVariantMap DiskList::partitionEntry(const Volume& partition) const {
    QVariantMap entry{{QStringLiteral("Content"), partition.content},
                      {QStringLiteral("DeviceIdentifier"), partition.id},
                      {QStringLiteral("Size"), partition.size}};
    insertIfSet(entry, "DiskUUID", partition.diskUuid);
    if (partition.hasFileSystem()) {
        entry.insert(QStringLiteral("VolumeName"), partition.name);
        entry.insert(QStringLiteral("VolumeUUID"), partition.uuid);
    }
    insertIfSet(entry, "MountPoint", partition.mountPoint);
    entry.insert(partition.extra);
    return entry;
}

QVariantMap DiskList::apfsEntry(const Disk& container, const Volume& volume) {
    QVariantMap entry{{QStringLiteral("CapacityInUse"), usage_.used(volume)},
                      {QStringLiteral("DeviceIdentifier"), volume.id},
                      {QStringLiteral("DiskUUID"), volume.uuid},
                      {QStringLiteral("Size"), container.whole.size},
                      {QStringLiteral("VolumeName"), volume.name},
                      {QStringLiteral("VolumeUUID"), volume.uuid}};
    insertIfSet(entry, "MountPoint", volume.mountPoint);
    if (sealedSystem_) {
        entry.insert(QStringLiteral("OSInternal"), false);
        entry.insert(QStringLiteral("MountedSnapshots"), mountedSnapshots(container, volume));
    }
    entry.insert(volume.extra);
    return entry;
}

QVariantList DiskList::mountedSnapshots(const Disk& container, const Volume& volume) const {
    QVariantList snapshots;
    for (const Volume& s : container.apfsVolumes) {
        if (s.snapshotOf == volume.id && s.isMounted()) {
            snapshots.append(QVariantMap{{QStringLiteral("Sealed"), QStringLiteral("Yes")},
                                         {QStringLiteral("SnapshotBSD"), s.id},
                                         {QStringLiteral("SnapshotMountPoint"), s.mountPoint},
                                         {QStringLiteral("SnapshotName"), s.snapshotName},
                                         {QStringLiteral("SnapshotUUID"), s.uuid}});
        }
    }
    return snapshots;
}

}  // namespace simmac
