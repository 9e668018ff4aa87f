#include "simmac/diskutil/DiskInfo.h"

#include "simmac/state/FileSystemType.h"

namespace simmac {
namespace {

QString registryName(ConstNodeRef node) {
    const Volume& v = *node.volume;
    if (node.isWhole()) {
        return node.disk->ioRegistryEntryName;
    }
    if (v.isSnapshot()) {
        return v.snapshotName;
    }
    if (v.content == QLatin1String("EFI")) {
        return QStringLiteral("EFI System Partition");
    }
    return v.hasFileSystem() ? v.name : v.content;
}

QString roleVolume(const Disk& container, const char* role) {
    for (const Volume& v : container.apfsVolumes) {
        if (v.role == QLatin1String(role) && !v.isSnapshot()) {
            return v.id;
        }
    }
    return {};
}

QVariantList physicalStores(const Disk& container) {
    return {QVariantMap{{QStringLiteral("APFSPhysicalStore"), container.physicalStore}}};
}

}  // namespace

QVariantMap DiskInfo::notFound(const QString& argument) {
    return {{QStringLiteral("Error"), true},
            {QStringLiteral("ErrorMessage"), QStringLiteral("Could not find disk: ") + argument},
            {QStringLiteral("ExitCode"), 1}};
}

QVariantMap DiskInfo::of(const QString& nodeId) {
    const ConstNodeRef node = state_.node(nodeId);
    if (!node) {
        return {};
    }
    QVariantMap info;
    addDevice(info, *node.disk);
    addNode(info, node);
    addFileSystem(info, node);
    addStoreAndRecovery(info, node);
    if (node.disk->isContainer()) {
        if (node.isWhole()) {
            addContainer(info, *node.disk);
        } else {
            addApfsVolume(info, *node.disk, *node.volume);
        }
    }
    info.insert(node.volume->extra);
    return info;
}

void DiskInfo::addDevice(QVariantMap& info, const Disk& disk) const {
    const bool external = !disk.internal;
    info.insert({
        {QStringLiteral("BusProtocol"), disk.busProtocol},
        {QStringLiteral("Internal"), disk.internal},
        {QStringLiteral("Ejectable"), disk.ejectable},
        {QStringLiteral("Removable"), disk.removable},
        {QStringLiteral("RemovableMedia"), disk.removable},
        {QStringLiteral("RemovableMediaOrExternalDevice"), disk.removable || external},
        {QStringLiteral("SolidState"), disk.solidState},
        {QStringLiteral("VirtualOrPhysical"), disk.virtualOrPhysical},
        {QStringLiteral("WritableMedia"), disk.writableMedia},
        {QStringLiteral("OSInternalMedia"), disk.internal && !disk.isImage()},
        {QStringLiteral("RAIDMaster"), disk.raidMaster.value_or(false)},
        {QStringLiteral("RAIDSlice"), false},
        {QStringLiteral("MediaType"), QStringLiteral("Generic")},
        {QStringLiteral("DeviceBlockSize"), 512},
        {QStringLiteral("SMARTStatus"),
         disk.internal && disk.solidState ? QStringLiteral("Verified") : QStringLiteral("Not Supported")},
    });
    if (disk.coreStorageEncrypted) {
        info.insert(QStringLiteral("CoreStorageEncrypted"), *disk.coreStorageEncrypted);
    }
}

void DiskInfo::addNode(QVariantMap& info, ConstNodeRef node) const {
    const Volume& v = *node.volume;
    const qint64 size = node.disk->isContainer() ? node.disk->whole.size : v.size;
    info.insert({
        {QStringLiteral("DeviceIdentifier"), v.id},
        {QStringLiteral("DeviceNode"), QStringLiteral("/dev/") + v.id},
        {QStringLiteral("WholeDisk"), node.isWhole()},
        {QStringLiteral("ParentWholeDisk"), node.disk->id()},
        {QStringLiteral("Size"), size},
        {QStringLiteral("TotalSize"), size},
        {QStringLiteral("IOKitSize"), size},
        {QStringLiteral("Content"),
         node.disk->isContainer() && !node.isWhole() ? FileSystemType::apfsVolumeContent() : v.content},
        {QStringLiteral("MediaName"), node.isWhole() ? node.disk->mediaName : QString()},
        {QStringLiteral("IORegistryEntryName"), registryName(node)},
        {QStringLiteral("MountPoint"), v.mountPoint},
    });
    if (!v.diskUuid.isEmpty()) {
        info.insert(QStringLiteral("DiskUUID"), v.diskUuid);
    }
}

void DiskInfo::addFileSystem(QVariantMap& info, ConstNodeRef node) {
    const Volume& v = *node.volume;
    const bool writableMedia = node.disk->writableMedia && !v.isSnapshot();
    if (!v.hasFileSystem()) {
        info.insert({{QStringLiteral("VolumeName"), QString()},
                     {QStringLiteral("VolumeSize"), 0},
                     {QStringLiteral("FreeSpace"), 0},
                     {QStringLiteral("Writable"), writableMedia},
                     {QStringLiteral("WritableVolume"), false}});
        return;
    }
    const bool writable = v.isMounted() && !v.readOnly && writableMedia;
    info.insert({
        {QStringLiteral("FilesystemType"), FileSystemType::bundle(v.fileSystem)},
        {QStringLiteral("FilesystemName"), FileSystemType::personality(v.fileSystem)},
        {QStringLiteral("FilesystemUserVisibleName"), FileSystemType::userVisibleName(v.fileSystem)},
        {QStringLiteral("VolumeName"), v.name},
        {QStringLiteral("VolumeUUID"), v.uuid},
        {QStringLiteral("VolumeSize"), v.isApfs() ? 0 : v.size},
        {QStringLiteral("FreeSpace"), usage_.freeSpace(v)},
        {QStringLiteral("Writable"), writable},
        {QStringLiteral("WritableVolume"), writable},
        {QStringLiteral("WritableMedia"), writableMedia},
    });
}

void DiskInfo::addApfsVolume(QVariantMap& info, const Disk& container, const Volume& volume) {
    info.insert({
        {QStringLiteral("APFSContainerReference"), container.id()},
        {QStringLiteral("APFSPhysicalStores"), physicalStores(container)},
        {QStringLiteral("APFSContainerSize"), container.whole.size},
        {QStringLiteral("APFSContainerFree"), usage_.containerFree(container)},
        {QStringLiteral("CapacityInUse"), usage_.used(volume)},
        {QStringLiteral("APFSSnapshot"), volume.isSnapshot()},
    });
    if (volume.isSnapshot()) {
        info.insert({{QStringLiteral("APFSSnapshotName"), volume.snapshotName},
                     {QStringLiteral("APFSSnapshotUUID"), volume.uuid},
                     {QStringLiteral("Sealed"), QStringLiteral("Yes")}});
    }
    const QString booter = roleVolume(container, "Preboot");
    const QString recovery = roleVolume(container, "Recovery");
    if (!booter.isEmpty()) {
        info.insert(QStringLiteral("BooterDeviceIdentifier"), booter);
    }
    if (!recovery.isEmpty()) {
        info.insert(QStringLiteral("RecoveryDeviceIdentifier"), recovery);
    }
}

void DiskInfo::addContainer(QVariantMap& info, const Disk& container) {
    info.insert({
        {QStringLiteral("Content"), FileSystemType::containerContent()},
        {QStringLiteral("APFSContainerReference"), container.id()},
        {QStringLiteral("APFSPhysicalStores"), physicalStores(container)},
        {QStringLiteral("APFSContainerSize"), container.whole.size},
        {QStringLiteral("APFSContainerFree"), usage_.containerFree(container)},
        {QStringLiteral("WritableVolume"), false},
    });
}

// An APFS store names its container; an HFS+ volume on a disk with an Apple_Boot partition names that
// partition as its recovery.
void DiskInfo::addStoreAndRecovery(QVariantMap& info, ConstNodeRef node) const {
    if (node.isWhole() || node.disk->isContainer()) {
        return;
    }
    if (const Disk* container = state_.containerOnStore(node.volume->id)) {
        info.insert(QStringLiteral("APFSContainerReference"), container->id());
        return;
    }
    if (!node.volume->fileSystem.endsWith(QLatin1String("hfs"))) {
        return;
    }
    for (const Volume& p : node.disk->partitions) {
        if (p.content == QLatin1String("Apple_Boot")) {
            info.insert(QStringLiteral("RecoveryDeviceIdentifier"), p.id);
        }
    }
}

}  // namespace simmac
