#pragma once

#include "simmac/state/Mounter.h"
#include "simmac/state/StateTransaction.h"

#include <QString>

namespace simmac {

// Changes to which disks and nodes exist: plugging and unplugging disks, creating and dropping APFS
// containers, giving a partition a file system. Every change is recorded as events in the documented order:
// appearing disk then its nodes then mounts; unmounts, then disappearing nodes, then the disk.
class Topology {
public:
    explicit Topology(StateTransaction& tx) : tx_(tx), mounter_(tx) {}

    // Plugs a disk in with the containers stored on it: new disk numbers, appear events, and every volume
    // that macOS would mount on its own is mounted. Returns the new disk's identifier.
    QString plug(DetachedDisk entry);
    // Unmounts everything on a physical or image disk and removes it with its containers; `keep` puts it
    // in "Detached" (its content stays in the store), otherwise its content is thrown away. Refused (false)
    // for the disk holding the root volume.
    bool unplug(const QString& diskId, bool keep);

    // Gives a partition (or a disk without a scheme) a new, empty file system, dropping a container stored
    // on it. APFS makes the partition a store with a new container holding one volume. Returns the node
    // that carries the file system (unmounted).
    QString format(const QString& nodeId, const QString& fileSystem, const QString& name);
    // Removes every partition of a disk and the containers on them.
    void dropPartitions(const QString& diskId);
    // Removes a container and its volumes; their content is thrown away.
    void dropContainer(const QString& containerId);
    // A new partition at the end of a disk's partition map.
    Volume& addPartition(const QString& diskId, qint64 size, bool guid);

    // Whether macOS mounts the volume by itself when its disk appears.
    static bool mountsByItself(const Volume& volume);
    // A new APFS container `id` on the store partition of `physical`, with one volume (no events).
    static Disk containerFor(const Disk& physical, const Volume& store, const QString& id,
                             const Volume& volume);
    // A new APFS volume (identifier left to the caller).
    static Volume apfsVolume(const QString& name, const QString& uuid);

    Mounter& mounter() { return mounter_; }

private:
    QString createContainer(const QString& storeId, const QString& name);
    void mountAll(const QString& diskId);
    void recordAppeared(const Disk& disk);

    StateTransaction& tx_;
    Mounter mounter_;
};

}  // namespace simmac
