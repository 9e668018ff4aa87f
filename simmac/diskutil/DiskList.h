#pragma once

#include "simmac/state/SimState.h"
#include "simmac/state/UsageMeter.h"

#include <QVariantMap>

namespace simmac {

// The dictionary `diskutil list -plist` prints: "AllDisks", "AllDisksAndPartitions", "VolumesFromDisks",
// "WholeDisks", for every disk or for one whole disk.
class DiskList {
public:
    DiskList(const SimState& state, UsageMeter& usage, bool sealedSystem)
        : state_(state), usage_(usage), sealedSystem_(sealedSystem) {}

    QVariantMap all();
    QVariantMap of(const QString& wholeDiskId);

private:
    QVariantMap listing(const QList<const Disk*>& disks);
    QVariantMap diskEntry(const Disk& disk);
    QVariantMap partitionEntry(const Volume& partition) const;
    QVariantMap apfsEntry(const Disk& container, const Volume& volume);
    QVariantList mountedSnapshots(const Disk& container, const Volume& volume) const;

    const SimState& state_;
    UsageMeter& usage_;
    bool sealedSystem_;
};

}  // namespace simmac
