#include "simmac/state/Topology.h"

#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimPaths.h"

namespace simmac {
namespace {

bool isGuid(const Disk& disk) {
    return disk.whole.content == QLatin1String("GUID_partition_scheme");
}

}  // namespace

bool Topology::mountsByItself(const Volume& volume) {
    static const QStringList hiddenRoles{QStringLiteral("Preboot"), QStringLiteral("Recovery"),
                                         QStringLiteral("VM"),      QStringLiteral("Update"),
                                         QStringLiteral("xART"),    QStringLiteral("iSCPreboot"),
                                         QStringLiteral("Hardware")};
    return volume.hasFileSystem() && !volume.damaged && !volume.isSnapshot() &&
           volume.content != QLatin1String("EFI") && volume.content != QLatin1String("Apple_Boot") &&
           !hiddenRoles.contains(volume.role);
}

QString Topology::plug(DetachedDisk entry) {
    SimState& state = tx_.state();
    const QString oldId = entry.disk.id();
    const QString diskId = state.newDiskId();
    entry.disk.renumber(diskId);
    state.insertDisk(entry.disk);
    recordAppeared(entry.disk);
    QStringList containerIds;
    for (Disk& container : entry.containers) {
        container.physicalStore = diskId + container.physicalStore.mid(oldId.size());
        container.renumber(state.newDiskId());
        containerIds.append(container.id());
        state.insertDisk(container);
        recordAppeared(container);
    }
    mountAll(diskId);
    for (const QString& id : containerIds) {
        mountAll(id);
    }
    return diskId;
}

bool Topology::unplug(const QString& diskId, bool keep) {
    SimState& state = tx_.state();
    const QStringList containerIds = state.containersOn(diskId);
    const QString root = state.rootVolume;
    if (state.physicalDiskOf(root) == diskId || state.disk(diskId) == nullptr) {
        return false;
    }
    for (const QString& id : containerIds) {
        for (Volume& v : state.disk(id)->apfsVolumes) {
            mounter_.unmount(v);
        }
    }
    Disk* disk = state.disk(diskId);
    mounter_.unmount(disk->whole);
    for (Volume& p : disk->partitions) {
        mounter_.unmount(p);
    }
    DetachedDisk entry{*disk, {}};
    for (const QString& id : containerIds) {
        const Disk& container = *state.disk(id);
        entry.containers.append(container);
        for (const Volume& v : container.apfsVolumes) {
            tx_.record(QStringLiteral("diskDisappeared"), v.id);
        }
        tx_.record(QStringLiteral("diskDisappeared"), id);
        state.removeDisk(id);
    }
    for (const Volume& p : entry.disk.partitions) {
        tx_.record(QStringLiteral("diskDisappeared"), p.id);
    }
    tx_.record(QStringLiteral("diskDisappeared"), diskId);
    state.removeDisk(diskId);
    if (keep) {
        state.detached.append(entry);
        return true;
    }
    const auto discardAll = [&](const Disk& d) {
        tx_.discard(SimPaths::store(d.whole.uuid));
        for (const Volume& v : d.children()) {
            tx_.discard(SimPaths::store(v.uuid));
        }
    };
    discardAll(entry.disk);
    for (const Disk& container : entry.containers) {
        discardAll(container);
    }
    return true;
}

QString Topology::format(const QString& nodeId, const QString& fileSystem, const QString& name) {
    SimState& state = tx_.state();
    if (const Disk* container = state.containerOnStore(nodeId)) {
        dropContainer(container->id());
    }
    NodeRef node = state.node(nodeId);
    Volume& v = *node.volume;
    const bool guid = isGuid(*node.disk);
    mounter_.unmount(v);
    if (v.hasFileSystem()) {
        tx_.discard(SimPaths::store(v.uuid));
    }
    if (!node.isWhole()) {
        v.content = FileSystemType::partitionContent(fileSystem, guid);
    }
    v.damaged = false;
    if (FileSystemType::isApfs(fileSystem) && !node.isWhole()) {
        v.fileSystem.clear();
        v.name.clear();
        v.uuid.clear();
        const QString containerId = createContainer(nodeId, name);
        state.disk(containerId)->apfsVolumes.first().fileSystem = fileSystem;
        return containerId + QStringLiteral("s1");
    }
    v.fileSystem = fileSystem;
    v.name = name;
    v.uuid = state.newUuid();
    v.usedBytes = 0;
    return nodeId;
}

Disk Topology::containerFor(const Disk& physical, const Volume& store, const QString& id,
                            const Volume& volume) {
    Disk container;
    container.kind = QString::fromLatin1(Disk::kContainer);
    container.whole.id = id;
    container.whole.content = FileSystemType::containerContent();
    container.whole.size = store.size;
    container.busProtocol = physical.busProtocol;
    container.internal = physical.internal;
    container.ejectable = physical.ejectable;
    container.removable = physical.removable;
    container.solidState = physical.solidState;
    container.writableMedia = physical.writableMedia;
    container.virtualOrPhysical = QStringLiteral("Virtual");
    container.mediaName = QStringLiteral("AppleAPFSMedia");
    container.ioRegistryEntryName = QStringLiteral("AppleAPFSMedia");
    container.physicalStore = store.id;
    container.apfsVolumes = {volume};
    container.apfsVolumes.first().id = id + QStringLiteral("s1");
    return container;
}

Volume Topology::apfsVolume(const QString& name, const QString& uuid) {
    Volume volume;
    volume.content = FileSystemType::apfsVolumeContent();
    volume.fileSystem = QStringLiteral("apfs");
    volume.name = name;
    volume.uuid = uuid;
    volume.diskUuid = uuid;
    return volume;
}

QString Topology::createContainer(const QString& storeId, const QString& name) {
    SimState& state = tx_.state();
    const NodeRef store = state.node(storeId);
    const QString id = state.newDiskId();
    state.insertDisk(containerFor(*store.disk, *store.volume, id, apfsVolume(name, state.newUuid())));
    recordAppeared(*state.disk(id));
    return id;
}

void Topology::dropContainer(const QString& containerId) {
    SimState& state = tx_.state();
    Disk* container = state.disk(containerId);
    if (container == nullptr) {
        return;
    }
    for (Volume& v : container->apfsVolumes) {
        mounter_.unmount(v);
    }
    for (const Volume& v : container->apfsVolumes) {
        tx_.discard(SimPaths::store(v.uuid));
        tx_.record(QStringLiteral("diskDisappeared"), v.id);
    }
    tx_.record(QStringLiteral("diskDisappeared"), containerId);
    state.removeDisk(containerId);
}

void Topology::dropPartitions(const QString& diskId) {
    SimState& state = tx_.state();
    for (const QString& id : state.containersOn(diskId)) {
        dropContainer(id);
    }
    Disk* disk = state.disk(diskId);
    mounter_.unmount(disk->whole);
    for (Volume& p : disk->partitions) {
        mounter_.unmount(p);
    }
    for (const Volume& p : disk->partitions) {
        tx_.discard(SimPaths::store(p.uuid));
        tx_.record(QStringLiteral("diskDisappeared"), p.id);
    }
    disk->partitions.clear();
    if (disk->whole.hasFileSystem()) {
        tx_.discard(SimPaths::store(disk->whole.uuid));
        disk->whole.fileSystem.clear();
        disk->whole.name.clear();
        disk->whole.uuid.clear();
    }
}

Volume& Topology::addPartition(const QString& diskId, qint64 size, bool guid) {
    SimState& state = tx_.state();
    Disk* disk = state.disk(diskId);
    Volume partition;
    partition.id = disk->nextChildId();
    partition.size = size;
    if (guid) {
        partition.diskUuid = state.newUuid();
    }
    disk->partitions.append(partition);
    tx_.record(QStringLiteral("diskAppeared"), partition.id);
    return disk->partitions.last();
}

void Topology::mountAll(const QString& diskId) {
    Disk* disk = tx_.state().disk(diskId);
    if (mountsByItself(disk->whole)) {
        mounter_.mount(disk->whole);
    }
    for (Volume& v : disk->children()) {
        if (mountsByItself(v)) {
            mounter_.mount(v);
        }
    }
}

void Topology::recordAppeared(const Disk& disk) {
    tx_.record(QStringLiteral("diskAppeared"), disk.id(), {}, disk.whole.name);
    for (const Volume& v : disk.children()) {
        tx_.record(QStringLiteral("diskAppeared"), v.id, {}, v.name);
    }
}

}  // namespace simmac
