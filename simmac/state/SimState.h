#pragma once

#include "simmac/state/Disk.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace simmac {

// A node of the inventory and the disk that lists it (for a whole disk, `volume` is `&disk->whole`).
template <typename DiskT, typename VolumeT>
struct BasicNodeRef {
    DiskT* disk = nullptr;
    VolumeT* volume = nullptr;

    explicit operator bool() const { return volume != nullptr; }
    bool isWhole() const { return disk != nullptr && volume == &disk->whole; }
};
using NodeRef = BasicNodeRef<Disk, Volume>;
using ConstNodeRef = BasicNodeRef<const Disk, const Volume>;

// An unplugged or ejected disk, kept with the containers stored on it so that it can be plugged in again.
struct DetachedDisk {
    Disk disk;
    QList<Disk> containers;
};

// The inventory of the simulated Mac (".sim/state.plist").
class SimState {
public:
    static constexpr int kSchemaVersion = 1;

    int nextDiskNumber = 0;
    qint64 nextEventSeq = 1;
    qint64 nextUuid = 1;
    qint64 nextCallSeq = 1;
    QString rootVolume;  // the node mounted at "/"
    QList<Disk> disks;   // in disk-number order, which is the listing order
    QList<DetachedDisk> detached;

    static std::optional<SimState> fromMap(const QVariantMap& map);
    QVariantMap toMap() const;

    NodeRef node(const QString& id);
    ConstNodeRef node(const QString& id) const;
    Disk* disk(const QString& id);
    const Disk* disk(const QString& id) const;
    // The container whose physical store is the partition `storeId`.
    const Disk* containerOnStore(const QString& storeId) const;
    // Containers whose stores lie on the disk.
    QStringList containersOn(const QString& diskId) const;
    // Whole disk of a node: a partition's disk, an APFS volume's container.
    QString wholeDiskOf(const QString& nodeId) const;
    // Physical (or image) disk behind a node: containers are followed to the disk holding their store.
    QString physicalDiskOf(const QString& nodeId) const;
    // Every node in listing order: each disk, then its partitions or volumes.
    QStringList nodeIds() const;

    QString newDiskId();
    QString newUuid();
    void insertDisk(Disk disk);
    void removeDisk(const QString& id);

    static int diskNumber(const QString& id);
};

}  // namespace simmac
