#include "services/jobs/VolumeOnDisk.h"

#include <QRegularExpression>
#include <QVariantList>

namespace jobs {
namespace {

// "disk4s2s1" and "/dev/disk4" are on "disk4".
QString wholeDiskOf(const QString& device) {
    static const QRegularExpression whole(QStringLiteral("^(?:/dev/)?(disk\\d+)"));
    return whole.match(device).captured(1);
}

}  // namespace

QString physicalDiskOf(const QVariantMap& info) {
    const QString store = info.value(QStringLiteral("APFSPhysicalStores"))
                              .toList()
                              .value(0)
                              .toMap()
                              .value(QStringLiteral("APFSPhysicalStore"))
                              .toString();
    return wholeDiskOf(store.isEmpty() ? info.value(QStringLiteral("ParentWholeDisk")).toString() : store);
}

QStringList wholeDisksOf(const QVariantMap& info) {
    QStringList disks;
    for (const QString& disk :
         {wholeDiskOf(info.value(QStringLiteral("ParentWholeDisk")).toString()), physicalDiskOf(info)}) {
        if (!disk.isEmpty() && !disks.contains(disk)) {
            disks << disk;
        }
    }
    return disks;
}

bool isMountedOnDisk(const QVariantMap& info, const QString& mountPoint, const QString& wholeDisk) {
    const QString disk = wholeDiskOf(wholeDisk);
    return !disk.isEmpty() && !mountPoint.isEmpty() &&
           info.value(QStringLiteral("MountPoint")).toString() == mountPoint && physicalDiskOf(info) == disk;
}

}  // namespace jobs
