#include "app/bootable/PrebootRepair.h"

#include "platform/LogCategories.h"
#include "platform/ToolProcess.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"

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

// The last volume of the container named "Preboot".
std::optional<QString> prebootIn(const QString& container) {
    const auto listed =
        ZZDoCommand(DiskUtilCommands::list(node(container)), QStringLiteral("OrvDataTemp.plist"));
    const QVariantList volumes = listed ? listed->value(QStringLiteral("AllDisksAndPartitions"))
                                              .toList()
                                              .value(0)
                                              .toMap()
                                              .value(QStringLiteral("APFSVolumes"))
                                              .toList()
                                        : QVariantList();
    std::optional<QString> preboot;
    for (const QVariant& volume : volumes) {
        const QVariantMap map = volume.toMap();
        if (map.value(QStringLiteral("VolumeName")).toString() == u"Preboot") {
            preboot = map.value(QStringLiteral("DeviceIdentifier")).toString();
        }
    }
    if (!preboot) {
        qCWarning(lcApp) << "Preboot repair: no Preboot volume in" << container;
    }
    return preboot;
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
    const auto preboot = container ? prebootIn(*container) : std::nullopt;
    if (!preboot) {
        return;
    }
    const QString mountPoint = mountedAt(*preboot);
    if (mountPoint.isEmpty()) {
        qCWarning(lcApp) << "Preboot repair:" << *preboot
                         << "has no mount point; the cryptexes are not copied";
        return;
    }
    copyCryptexes(mountPoint);
}

}  // namespace bootable
