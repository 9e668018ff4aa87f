#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace jobs {

// The physical whole disk a volume lives on, from its diskutil info: an APFS volume's container is a
// synthesized disk, so its physical store ("disk4s2") names the disk.
QString physicalDiskOf(const QVariantMap& info);

// The whole disks a volume lives on, from its diskutil info: its parent whole disk (an APFS volume's
// container) and the physical disk under it, each once.
QStringList wholeDisksOf(const QVariantMap& info);

// Whether diskutil info of `mountPoint` shows a volume mounted there that lives on `wholeDisk` ("disk4" or
// "/dev/disk4"): a folder of that name may be a leftover, or another drive's volume.
bool isMountedOnDisk(const QVariantMap& info, const QString& mountPoint, const QString& wholeDisk);

}  // namespace jobs
