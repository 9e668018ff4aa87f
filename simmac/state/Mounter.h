#pragma once

#include "simmac/state/StateTransaction.h"

#include <QString>

namespace simmac {

// Mounting moves a volume's content folder from ".sim/store/<VolumeUUID>" to its mount point and
// unmounting moves it back: one rename on one file system, so the files survive either way. Every move is
// recorded as an event of the transaction.
class Mounter {
public:
    explicit Mounter(StateTransaction& tx) : tx_(tx) {}

    // Mounts at `mountPoint`, or at a free "/Volumes/<name>" when it is empty or taken. True when mounted
    // (also when it already was).
    bool mount(Volume& volume, const QString& mountPoint = {});
    void unmount(Volume& volume);
    // Gives the volume a new name; a volume mounted under "/Volumes" moves to the mount point of that name.
    void rename(Volume& volume, const QString& newName);

    // The first of "/Volumes/<folder name>", "… 1", "… 2", … that does not exist.
    static QString freeMountPoint(const QString& volumeName);
    // The folder name for a volume name: "/" becomes ":", an empty name, "." and ".." become "Untitled",
    // and the name is cut to fit a file name; it can never step out of "/Volumes".
    static QString folderName(const QString& volumeName, int reservedBytes = 0);

private:
    StateTransaction& tx_;
};

}  // namespace simmac
