#include "app/disk-tool/VolumeCommands.h"

#include "platform/LogCategories.h"
#include "platform/PropertyList.h"
#include "services/disks/ExecCommand.h"
#include "services/utilities/KVPublicUtilities.h"

#include <QDeadlineTimer>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>
#include <optional>

namespace disktool {
namespace {

constexpr qsizetype kReasonLength = 300;  // a tool that floods its output still gives a readable reason

QString infoText(const QVariantMap& info, const char* key) {
    return info.value(QLatin1String(key)).toString();
}

CommandResult run(const platform::ToolCommand& command, std::chrono::milliseconds deadline,
                  const platform::CancelFlag& stop = {}) {
    platform::ToolProcess process(command);
    process.setMergeStandardError(true);  // diskutil gives its reasons on standard error
    process.setDeadline(std::min(deadline, commandDeadline()));
    process.setCancelFlag(stop);
    const platform::ToolResult result = process.run();
    if (result.succeeded()) {
        return CommandResult::succeeded();
    }
    qCWarning(lcApp) << "diskutil" << command.arguments.value(0)
                     << "failed:" << platform::outcomeName(result.outcome) << result.exitCode;
    return CommandResult::failed(failureReason(result), result.outcome == platform::ToolOutcome::Cancelled);
}

CommandResult stopped() {
    return CommandResult::failed(QStringLiteral("Stopped before diskutil had finished."), true);
}

// diskutil's facts on a device, unless the user stops the look.
std::optional<QVariantMap> lookAt(const QString& device, const platform::CancelFlag& stop) {
    platform::ToolProcess process(disk::DiskUtilCommands::info(device));
    process.setDeadline(disk::lookupDeadline());
    process.setCancelFlag(stop);
    auto info = platform::PropertyList::dictionaryFromBytes(process.run().output);
    if (info && disk::DiskUtilCommands::isErrorDocument(*info)) {
        return std::nullopt;
    }
    return info;
}

// diskutil's facts on the volume the user chose, when its identifier still names that volume: the same disk
// UUID when it has one, else the same name, file system and size (a partition of a disk with a master boot
// record has no UUID).
std::optional<QVariantMap> chosenVolumeInfo(const VolumeObj& volume, const platform::CancelFlag& stop) {
    auto info = lookAt(volume.volumePath, stop);
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

const QString kUnreadable = QStringLiteral("The volume could not be read afterwards to confirm it.");

// A format's outcome from diskutil's answer and the look afterwards: a new volume UUID says it was erased.
CommandResult judged(CommandResult result, bool looked, bool erased) {
    if (!looked) {
        result.checkTrouble = result.done ? kUnreadable : QString();
    } else if (result.done && !erased) {
        return CommandResult::failed(
            QStringLiteral("diskutil reported success, but the volume was not erased."));
    }
    return result;
}

void waitBeforeStart(std::chrono::milliseconds delay, const platform::CancelFlag& stop) {
    const QDeadlineTimer start(delay);
    while (!start.hasExpired() && !stop.isRequested()) {
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(start.remainingTime(), 1, 20)));
    }
}

QString firstAidVerdict(const platform::ToolResult& result, bool repair, bool readable) {
    switch (result.outcome) {
        case platform::ToolOutcome::Cancelled:
            return QStringLiteral("First Aid was stopped.");
        case platform::ToolOutcome::TimedOut:
            return QStringLiteral("First Aid did not finish in time and was stopped.");
        default:
            break;
    }
    if (!result.succeeded()) {
        return QStringLiteral("First Aid failed.");
    }
    if (!readable) {
        return QStringLiteral("First Aid's output could not be read.");
    }
    return repair ? QStringLiteral("First Aid finished: the volume is OK.")
                  : QStringLiteral("First Aid found no problems.");
}

}  // namespace

CommandResult CommandResult::succeeded() {
    CommandResult result;
    result.done = true;
    return result;
}

CommandResult CommandResult::failed(const QString& reason, bool stopped) {
    CommandResult result;
    result.stopped = stopped;
    result.reason = reason;
    return result;
}

bool isMounted(const VolumeObj& volume) {
    if (volume.volumeFreeSizeNum != 0 && volume.diskType != u"APFS") {
        return true;
    }
    return !volume.volumeMountPoint.isEmpty();
}

bool isRunningSystem(const VolumeObj& volume) {
    const QString& mountPoint = volume.volumeMountPoint;
    return mountPoint == u"/" || (!mountPoint.isEmpty() && !mountPoint.startsWith(u"/Volumes/"));
}

QString sizeText(const VolumeObj& volume) {
    if (volume.volumeTotalSize.trimmed().isEmpty()) {
        return QStringLiteral("Unknow");
    }
    if (!isMounted(volume)) {
        return QStringLiteral("Not mounted, %1").arg(volume.volumeTotalSize);
    }
    return KVPublicUtilities::longlongConvertVolSpace(volume.volumeTotalSizeNum - volume.volumeFreeSizeNum) +
           u'/' + volume.volumeTotalSize;
}

float usedPercent(const VolumeObj& volume) {
    if (volume.volumeTotalSizeNum <= 0 || !isMounted(volume)) {
        return 0;
    }
    const double free = static_cast<double>(volume.volumeFreeSizeNum);
    return static_cast<float>(100.0 - free / static_cast<double>(volume.volumeTotalSizeNum) * 100.0);
}

QString byteToSizeWithByte(quint64 bytes) {
    if (bytes < 1000) {
        return QString::asprintf("%.0f byte", static_cast<double>(bytes));
    }
    static constexpr std::pair<quint64, const char*> kUnits[] = {
        {999'999ULL, "KB"}, {999'999'999ULL, "MB"}, {999'999'999'999ULL, "GB"}};
    double divisor = 1000.0;
    const char* unit = "TB";
    for (const auto& [limit, name] : kUnits) {
        if (bytes <= limit) {
            unit = name;
            break;
        }
        divisor *= 1000.0;
    }
    const auto quotient = static_cast<float>(static_cast<double>(bytes) / divisor);
    return QString::asprintf("%.2f %s", static_cast<double>(quotient), unit);
}

VolumeObj volumeFromInfo(const QVariantMap& info) {
    const auto bytes = [&](const char* key) { return info.value(QLatin1String(key)).toLongLong(); };
    VolumeObj volume;
    volume.volumeName = infoText(info, "VolumeName");
    volume.volumePath = infoText(info, "DeviceNode");
    volume.BusProtocol = infoText(info, "BusProtocol");
    volume.bCanEject = info.value(QStringLiteral("Ejectable")).toBool();
    volume.diskType = infoText(info, "FilesystemName");
    volume.volumeTotalSizeNum = bytes("TotalSize");
    volume.volumeFreeSizeNum = bytes(volume.diskType == u"APFS" ? "APFSContainerFree" : "FreeSpace");
    volume.volumeTotalSize =
        byteToSizeWithByte(static_cast<quint64>(std::max<qint64>(0, volume.volumeTotalSizeNum)));
    volume.volumeFreeSize =
        byteToSizeWithByte(static_cast<quint64>(std::max<qint64>(0, volume.volumeFreeSizeNum)));
    volume.volRootDir = volume.volumePath;
    volume.parentWholeDisk = infoText(info, "ParentWholeDisk");
    volume.volumeMountPoint = infoText(info, "MountPoint");
    volume.diskUUID = infoText(info, "VolumeUUID");
    return volume;
}

bool containsChinese(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() > 0x4E00 && c.unicode() < 0x9FFF; });
}

QString fat32Name(const QString& name) {
    return containsChinese(name) ? QStringLiteral("NEW") : name.toUpper().left(11);
}

QString renameName(const VolumeObj& volume, const QString& typed) {
    return volume.diskType.toLower().contains(QStringLiteral("fat32")) ? fat32Name(typed) : typed;
}

QString eraseName(const QString& name, const QString& type) {
    const QString named = name.isEmpty() || name == u" " ? QStringLiteral("NEW") : name;
    return type == u"MS-DOS FAT32" ? fat32Name(named) : named;
}

QString failureReason(const platform::ToolResult& result) {
    switch (result.outcome) {
        case platform::ToolOutcome::FailedToStart:
            return QStringLiteral("diskutil could not be started.");
        case platform::ToolOutcome::Crashed:
            return QStringLiteral("diskutil ended unexpectedly.");
        case platform::ToolOutcome::TimedOut:
            return QStringLiteral("diskutil did not finish in time and was stopped.");
        case platform::ToolOutcome::Cancelled:
            return QStringLiteral("Stopped before diskutil had finished.");
        case platform::ToolOutcome::Exited:
            break;
    }
    const QStringList lines = QString::fromUtf8(result.output).split(u'\n', Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QString text = line->trimmed();
        if (!text.isEmpty()) {
            return text.size() > kReasonLength ? text.left(kReasonLength - 1) + u'…' : text;
        }
    }
    return QStringLiteral("diskutil ended with status %1.").arg(result.exitCode);
}

CommandResult mountVolume(const QString& device, milliseconds deadline) {
    return run(disk::DiskUtilCommands::mount(device), deadline);
}

CommandResult unmountVolume(const QString& device, milliseconds deadline) {
    return run(disk::DiskUtilCommands::unmount(device), deadline);
}

CommandResult ejectVolume(const QString& device, milliseconds deadline) {
    return run(disk::DiskUtilCommands::eject(device), deadline);
}

CommandResult renameVolume(const QString& device, const QString& name, milliseconds deadline) {
    CommandResult result = run(disk::DiskUtilCommands::rename(device, name), deadline);
    if (!result.done) {
        return result;
    }
    const auto info = KVPublicUtilities::KVGetDiskInfo(device);
    if (!info) {
        result.checkTrouble = kUnreadable;
    } else if (const QString now = infoText(*info, "VolumeName");
               now.compare(name, Qt::CaseInsensitive) != 0) {
        return CommandResult::failed(
            QStringLiteral("diskutil reported success, but the volume is named '%1'.").arg(now));
    }
    return result;
}

CommandResult formatVolume(const VolumeObj& volume, const QString& name, const QString& type,
                           const platform::CancelFlag& stop, milliseconds renameDeadline) {
    const auto before = chosenVolumeInfo(volume, stop);
    if (stop.isRequested()) {
        return stopped();
    }
    if (!before) {
        qCWarning(lcApp) << "not formatting" << volume.volumePath << ": it no longer holds"
                         << volume.volumeName;
        return CommandResult::failed(QStringLiteral("The volume is no longer the one you chose."));
    }
    if (isRunningSystem(volumeFromInfo(*before))) {
        return CommandResult::failed(QStringLiteral("The volume belongs to the running system."));
    }
    const QString& device = volume.volumePath;
    const bool apfs = volume.diskType.toLower().contains(QStringLiteral("apfs"));
    CommandResult result = apfs ? run(disk::DiskUtilCommands::rename(device, name), renameDeadline, stop)
                                : CommandResult::succeeded();
    if (result.done) {
        result = run(apfs ? disk::DiskUtilCommands::reformat(device)
                          : disk::DiskUtilCommands::eraseVolume(type, name, QStringLiteral("/dev/") + device),
                     commandDeadline(), stop);
    }
    // Not stopped itself: it decides whether the old name must come back after a stop.
    const auto after = KVPublicUtilities::KVGetDiskInfo(device);
    const bool erased = after && infoText(*after, "VolumeUUID") != infoText(*before, "VolumeUUID");
    const QString oldName = infoText(*before, "VolumeName");
    if (apfs && after && !erased && infoText(*after, "VolumeName") != oldName) {
        // The old data must not stay under the new name, where it would look erased.
        run(disk::DiskUtilCommands::rename(device, oldName), renameDeadline);
    }
    return judged(stop.isRequested() && !result.done ? stopped() : result, after.has_value(), erased);
}

QString runFirstAid(const platform::ToolCommand& command, const platform::CancelFlag& stop,
                    std::chrono::milliseconds delay, std::chrono::milliseconds deadline,
                    const std::function<void(const QString& text, int pieces)>& piece) {
    waitBeforeStart(delay, stop);
    int pieces = 0;
    bool readable = false;
    QStringDecoder decoder(QStringDecoder::Utf8);  // keeps a character split between two pieces
    platform::ToolProcess process(command);
    process.setMergeStandardError(true);
    process.setCancelFlag(stop);
    process.setDeadline(deadline);
    process.setOutputHandler([&](const QByteArray& chunk) {
        QString text = decoder.decode(chunk);
        if (decoder.hasError()) {
            text.clear();
            decoder.resetState();
        }
        readable = readable || !text.trimmed().isEmpty();
        piece(text, ++pieces);
    });
    const platform::ToolResult result = process.run();
    return firstAidVerdict(result, command.arguments.value(0) == u"repairvolume", readable);
}

}  // namespace disktool
