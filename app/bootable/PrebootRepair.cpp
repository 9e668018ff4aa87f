#include "app/bootable/PrebootRepair.h"

#include "platform/LogCategories.h"
#include "platform/ToolProcess.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"

#include <QStringList>
#include <QVariantList>

#include <optional>

namespace bootable {

namespace {

using disk::DiskUtilCommands;

const QString kCryptexes = QStringLiteral("/System/Volumes/Preboot/Cryptexes");

QString node(const QString& identifier) {
    return QStringLiteral("/dev/") + identifier;
}

// The first of the disk's entries that names an APFS container.
std::optional<QString> containerOn(const QString& targetDisk) {
    const QString file = QStringLiteral("rootOrvDataTemp.plist");
    const auto listed = ZZDoCommand(DiskUtilCommands::list(node(targetDisk)), file);
    if (!listed) {
        qCWarning(lcApp) << "Preboot repair: diskutil lists nothing for" << targetDisk;
        return std::nullopt;
    }
    for (const QVariant& entry : listed->value(QStringLiteral("AllDisks")).toList()) {
        const auto info = ZZDoCommand(DiskUtilCommands::info(node(entry.toString())), file);
        const QString container =
            info ? info->value(QStringLiteral("APFSContainerReference")).toString() : QString();
        if (!container.isEmpty()) {
            return container;
        }
    }
    qCWarning(lcApp) << "Preboot repair: no APFS container on" << targetDisk;
    return std::nullopt;
}

// The container's volumes, as diskutil lists them.
QVariantList volumesIn(const QString& container) {
    const auto listed =
        ZZDoCommand(DiskUtilCommands::list(node(container)), QStringLiteral("OrvDataTemp.plist"));
    return listed ? listed->value(QStringLiteral("AllDisksAndPartitions"))
                        .toList()
                        .value(0)
                        .toMap()
                        .value(QStringLiteral("APFSVolumes"))
                        .toList()
                  : QVariantList();
}

// The last of the volumes named "Preboot".
std::optional<QString> prebootAmong(const QVariantList& volumes) {
    std::optional<QString> preboot;
    for (const QVariant& volume : volumes) {
        const QVariantMap map = volume.toMap();
        if (map.value(QStringLiteral("VolumeName")).toString() == u"Preboot") {
            preboot = map.value(QStringLiteral("DeviceIdentifier")).toString();
        }
    }
    return preboot;
}

QStringList mountedAmong(const QVariantList& volumes) {
    QStringList mounted;
    for (const QVariant& volume : volumes) {
        const QVariantMap map = volume.toMap();
        if (!map.value(QStringLiteral("MountPoint")).toString().isEmpty()) {
            mounted << map.value(QStringLiteral("DeviceIdentifier")).toString();
        }
    }
    return mounted;
}

// Mounting the Preboot volume mounts every volume of its container (the Recovery volume too): those that were
// not mounted before the repair are unmounted again, the others left as they were.
void unmountAllBut(const QString& container, const QStringList& mountedBefore) {
    for (const QString& volume : mountedAmong(volumesIn(container))) {
        if (!mountedBefore.contains(volume)) {
            qCInfo(lcApp) << "Preboot repair: unmounting" << volume;
            ZZDoCommand(DiskUtilCommands::unmount(volume), QStringLiteral("diskMountTemp.plist"));
        }
    }
}

// Where the volume is mounted once diskutil has mounted its disk's volumes; empty when it is not.
QString mountedAt(const QString& volume) {
    ZZDoCommand(DiskUtilCommands::mountDisk(node(volume)), QStringLiteral("diskMountTemp.plist"));
    const auto info = ZZDoCommand(DiskUtilCommands::info(node(volume)), QStringLiteral("OrvDataTemp.plist"));
    return info ? info->value(QStringLiteral("MountPoint")).toString() : QString();
}

void copyCryptexes(const QString& mountPoint) {
    const platform::ToolResult result = platform::ToolProcess::run(
        {QStringLiteral("/bin/cp"), {QStringLiteral("-av"), kCryptexes, mountPoint}});
    qCInfo(lcApp).noquote() << "Output:" << QString::fromUtf8(result.output);
    if (result.succeeded()) {
        qCInfo(lcApp) << "Exit status:" << result.exitCode;
    } else {
        qCWarning(lcApp) << "Exit status:" << result.exitCode << "outcome"
                         << platform::outcomeName(result.outcome);
    }
}

}  // namespace

void repairPreboot(const QString& targetDisk) {
    const auto container = containerOn(targetDisk);
    if (!container) {
        return;
    }
    const QVariantList volumes = volumesIn(*container);
    const auto preboot = prebootAmong(volumes);
    if (!preboot) {
        qCWarning(lcApp) << "Preboot repair: no Preboot volume in" << *container;
        return;
    }
    const QStringList mountedBefore = mountedAmong(volumes);
    const QString mountPoint = mountedAt(*preboot);
    if (mountPoint.isEmpty()) {
        qCWarning(lcApp) << "Preboot repair:" << *preboot
                         << "has no mount point; the cryptexes are not copied";
    } else {
        copyCryptexes(mountPoint);
    }
    unmountAllBut(*container, mountedBefore);
}

}  // namespace bootable
