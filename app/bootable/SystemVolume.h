#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QtGlobal>

namespace bootable {

// The running system's volume, as diskutil info of "/" gives it: the bytes in use on it, and the whole disks
// that hold it (its parent whole disk and, for APFS, the disk of its physical store).
struct SystemVolume {
    qint64 usedSize = 0;
    QStringList wholeDisks;

    // Whether a whole disk ("disk0") holds the running system.
    bool isOn(const QString& wholeDisk) const {
        return !wholeDisk.isEmpty() && wholeDisks.contains(wholeDisk);
    }
};

// Below 10.15 (`version` 1015) the volume's total less its free space; from 10.15 on, its container's size
// less the container's free bytes. Never below 0; no information gives 0 bytes on no disk.
SystemVolume systemVolumeFrom(const QVariantMap& info, int version);

}  // namespace bootable
