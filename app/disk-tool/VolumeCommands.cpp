#include "app/disk-tool/VolumeCommands.h"

#include "platform/LogCategories.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/utilities/KVPublicUtilities.h"

#include <QDeadlineTimer>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>
#include <optional>

namespace disktool {
namespace {

bool runSucceeded(const platform::ToolCommand& command) {
    const platform::ToolResult result = platform::ToolProcess::run(command, commandDeadline());
    if (!result.succeeded()) {
        qCWarning(lcApp) << "diskutil" << command.arguments.value(0)
                         << "failed:" << static_cast<int>(result.outcome) << result.exitCode;
    }
    return result.succeeded();
}

QString infoText(const QVariantMap& info, const char* key) {
    return info.value(QLatin1String(key)).toString();
}

// diskutil's facts on the volume the user chose, when its identifier still names that volume: the same disk
// UUID when it has one, else the same name, file system and size (a partition of a disk with a master boot
// record has no UUID).
std::optional<QVariantMap> chosenVolumeInfo(const VolumeObj& volume) {
    auto info = KVPublicUtilities::KVGetDiskInfo(volume.volumePath);
    if (!info) {
        return std::nullopt;
    }
    if (!volume.diskUUID.isEmpty()) {
        return infoText(*info, "DiskUUID") == volume.diskUUID ? info : std::nullopt;
    }
    const QString name = infoText(*info, "VolumeName");
    const bool same = infoText(*info, "DiskUUID").isEmpty() &&
                      (name.isEmpty() ? QStringLiteral("Untitled") : name) == volume.volumeName &&
                      infoText(*info, "FilesystemName") == volume.diskType &&
                      info->value(QStringLiteral("TotalSize")).toLongLong() == volume.volumeTotalSizeNum;
    return same ? info : std::nullopt;
}

bool erased(const QString& device, const QVariantMap& before) {
    const auto after = KVPublicUtilities::KVGetDiskInfo(device);
    return after && infoText(*after, "VolumeUUID") != infoText(before, "VolumeUUID");
}

void waitBeforeStart(int milliseconds, const platform::CancelFlag& stop) {
    const QDeadlineTimer start(milliseconds);
    while (!start.hasExpired() && !stop.isRequested()) {
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(start.remainingTime(), 1, 20)));
    }
}

QString firstAidOutcome(const platform::ToolResult& result) {
    if (result.outcome == platform::ToolOutcome::Cancelled) {
        return QStringLiteral("First Aid was stopped.");
    }
    return result.succeeded() ? QString() : QStringLiteral("First Aid failed.");
}

}  // namespace

bool renameVolume(const QString& device, const QString& name) {
    if (!runSucceeded(disk::DiskUtilCommands::rename(device, name))) {
        return false;
    }
    const auto info = KVPublicUtilities::KVGetDiskInfo(device);
    return info && infoText(*info, "VolumeName").compare(name, Qt::CaseInsensitive) == 0;
}

bool formatVolume(const VolumeObj& volume, const QString& name, const QString& type) {
    const auto before = chosenVolumeInfo(volume);
    if (!before) {
        qCWarning(lcApp) << "not formatting" << volume.volumePath << ": it no longer holds"
                         << volume.volumeName;
        return false;
    }
    const bool ran = volume.diskType.toLower().contains(QStringLiteral("apfs"))
                         ? runSucceeded(disk::DiskUtilCommands::rename(volume.volumePath, name)) &&
                               runSucceeded(disk::DiskUtilCommands::reformat(volume.volumePath))
                         : runSucceeded(disk::DiskUtilCommands::eraseVolume(
                               type, name, QStringLiteral("/dev/") + volume.volumePath));
    return ran && erased(volume.volumePath, *before);
}

QString runFirstAid(const platform::ToolCommand& command, const platform::CancelFlag& stop, int delayMs,
                    const std::function<void(const QString& text, int pieces)>& piece) {
    waitBeforeStart(delayMs, stop);
    int pieces = 0;
    QStringDecoder decoder(QStringDecoder::Utf8);  // keeps a character split between two pieces
    platform::ToolProcess process(command);
    process.setMergeStandardError(true);
    process.setCancelFlag(stop);
    process.setOutputHandler([&](const QByteArray& chunk) {
        QString text = decoder.decode(chunk);
        if (decoder.hasError()) {
            text.clear();
            decoder.resetState();
        }
        piece(text, ++pieces);
    });
    return firstAidOutcome(process.run());
}

}  // namespace disktool
