#include "services/jobs/KVBootable.h"

#include "platform/DiskArbitration.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/TestSettings.h"
#include "platform/ToolProcess.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/disks/KVTask.h"
#include "services/jobs/KVUSBControl.h"
#include "services/jobs/SpotlightStore.h"
#include "services/jobs/VolumeOnDisk.h"
#include "services/utilities/KVLog.h"
#include "services/utilities/KVPublicUtilities.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::chrono::seconds kEraseTimeout{600};
constexpr std::chrono::milliseconds kRestoreDelay = std::chrono::seconds(2);
std::atomic<std::chrono::milliseconds> restoreDelay{kRestoreDelay};
const QString kAsr = QStringLiteral("/usr/sbin/asr");
const QString kVolumesFolder = QStringLiteral("/Volumes");

// HFS+ before 10.13, APFS on 10.13 and 10.14, Journaled HFS+ from 10.15 to 12, APFS from 13 on.
QString fileSystemForVersion(int version) {
    if (version < 1013) {
        return QStringLiteral("HFS+");
    }
    if (version < 1015 || version >= 1300) {
        return QStringLiteral("APFS");
    }
    return QStringLiteral("JHFS+");
}

QString text(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toString();
}

qint64 number(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toLongLong();
}

// A failed restore in asr's own words; when it said none, how it ended.
QString restoreReasonOf(const QString& lastWords, const platform::ToolResult& result) {
    if (!lastWords.isEmpty()) {
        return lastWords;
    }
    if (result.outcome != platform::ToolOutcome::Exited) {
        return QStringLiteral("asr ") + QLatin1String(platform::outcomeName(result.outcome));
    }
    return result.exitCode == 0 ? QStringLiteral("asr ended before the restore was complete")
                                : QStringLiteral("asr ended with status %1").arg(result.exitCode);
}

}  // namespace

KVBootable* KVBootable::KVShareInstance() {
    static KVBootable* instance = new KVBootable;  // never destroyed
    return instance;
}

void KVBootable::setRestoreDelayForTesting(std::chrono::milliseconds delay) {
    platform::restoreAfterTest([old = restoreDelay.exchange(delay)] { restoreDelay.store(old); });
}

void KVBootable::KVInit() {
    KVInitLog();
    KVUSBControl::KVShareInstance()->KVSetDelegateObj(this);
}

void KVBootable::KVUninit() {
    KVUninitLog();
}

QList<QVariantMap> KVBootable::KVGetUSBList() const {
    return KVUSBControl::KVShareInstance()->KVGetUSBList();
}

int KVBootable::KVStart(const VolumeObj* target) {
    // Checked first: a refused start must not take back the running job's cancel.
    if (running_.load()) {
        return kErrBusy;
    }
    bUserCancel_.store(false);
    if (target == nullptr) {
        return kErrNoTarget;
    }
    KVTask::KVShareInstance()->KVResetStop();
    KVUSBControl* usb = KVUSBControl::KVShareInstance();
    usb->NmoCreateVolumeName();
    const QString name = usb->KVGetKorvelVolumeName();
    {
        std::lock_guard guard(mutex_);
        stop_ = platform::CancelFlag();
        targetDisk_ = target->volumePath;
        restoreReason_.clear();
    }
    running_.store(true);
    platform::globalAsync([this, volume = *target, name] { runJob(volume, name); });
    return 0;
}

QString KVBootable::restoreReason() const {
    std::lock_guard guard(mutex_);
    return restoreReason_;
}

int KVBootable::KVStop() {
    {
        std::lock_guard guard(mutex_);
        bUserCancel_.store(true);
        stop_.request();
    }
    wake_.notify_all();
    KVTask::KVShareInstance()->KVStopTask();
    return 0;
}

void KVBootable::KVEnumUSBFinishImp() {
    if (delegate_ != nullptr) {
        delegate_->KVEnumUSBFinish();
    }
}

void KVBootable::KVUpdateProgress(int base, int errorCode, int stepCode) {
    platform::mainAsync(
        [this, base, errorCode, stepCode] { KVUpdateProgressImp(base, errorCode, stepCode); });
}

void KVBootable::KVUpdateProgressImp(int base, int errorCode, int stepCode) {
    const KVProgressRecord record{errorCode, stepCode, base + KVGetPrecentWithStepCode(stepCode)};
    if (delegate_ != nullptr) {
        delegate_->KVUINotify(record);
    }
}

int KVBootable::KVGetPrecentWithStepCode(int stepCode) {
    if (stepCode == 8) {
        return 100;
    }
    const auto eighths = static_cast<float>(stepCode * 0.125);
    return std::min(100, static_cast<int>(std::trunc(eighths * 100.0F)));
}

void KVBootable::changeProTimeWithTag(int tag, int pass) {
    platform::mainAsync([this, tag, pass] {
        if (delegate_ != nullptr) {
            delegate_->changeProTimeWithTag(tag, pass);
        }
    });
}

void KVBootable::changeProLabelValue(const QString& text) {
    platform::mainAsync([this, text] {
        if (delegate_ != nullptr) {
            delegate_->changeProLabelValue(text);
        }
    });
}

void KVBootable::finish(int errorCode, int stepCode) {
    qCInfo(lcServices) << "clone job ended with" << errorCode << "at step" << stepCode;
    platform::mainAsync([this, errorCode, stepCode] {
        running_.store(false);
        KVUpdateProgressImp(0, errorCode, stepCode);
    });
}

bool KVBootable::endedByCancel(int stepCode) {
    if (KVUserIsCancel()) {
        finish(kErrCancel, stepCode);
        return true;
    }
    return false;
}

platform::CancelFlag KVBootable::currentStop() {
    std::lock_guard guard(mutex_);
    return stop_;
}

void KVBootable::runJob(const VolumeObj& target, const QString& name) {
    const platform::CancelFlag stop = currentStop();
    KVUpdateProgress(0, 0, 0);
    KVUpdateProgress(0, 0, 1);
    if (endedByCancel(1)) {
        return;
    }
    jobs::endSpotlightStores(stop);
    KVUpdateProgress(0, 0, 2);
    const QString fileSystem = fileSystemForVersion(KVPublicUtilities::getSystemVersion());
    // The drive was chosen a while ago: it may have been pulled, or another one may sit under its name now.
    if (!isSameDrive(target)) {
        finish(kErrUnplugged, 2);
        return;
    }
    if (endedByCancel(2)) {
        return;
    }
    const platform::ToolCommand erase =
        disk::DiskUtilCommands::eraseDisk(fileSystem, name, target.volumePath);
    KVTask* task = KVTask::KVShareInstance();
    task->KVSetLaunchPath(erase.program);
    task->KVSetArguments(erase.arguments);
    task->KVSetTimeoutCount(std::chrono::duration<double>(kEraseTimeout).count());
    task->KVStartTask();
    if (endedByCancel(2)) {
        return;
    }
    // Pulled during the erase: nothing more is asked of a disk that is gone.
    if (!isSameDrive(target)) {
        finish(kErrUnplugged, 3);
        return;
    }
    const QString path = kVolumesFolder + QLatin1Char('/') + name;
    const int found = findNewVolume(target, name, path);
    if (endedByCancel(2)) {
        return;
    }
    if (found != 0) {
        finish(found, 3);
        return;
    }
    KVUpdateProgress(0, 0, 3);
    if (!waitUnlessCancelled()) {
        finish(kErrCancel, 3);
        return;
    }
    beginToBootable(path);
}

bool KVBootable::isSameDrive(const VolumeObj& target) {
    const auto info = getDisjInfo(target.volumePath);
    return info && number(*info, "TotalSize") == target.volumeTotalSizeNum &&
           !info->value(QStringLiteral("Internal")).toBool();
}

// A folder at the path may be a leftover, or the mount point of another drive's volume that took the name
// during the erase: only a volume of the target disk is restored onto.
bool KVBootable::isTargetVolume(const VolumeObj& target, const QString& path) {
    const auto info = getDisjInfo(path);
    return info && jobs::isMountedOnDisk(*info, path, target.volumePath);
}

int KVBootable::findNewVolume(const VolumeObj& target, const QString& name, const QString& path) {
    if (isTargetVolume(target, path)) {
        return 0;
    }
    getAllVolumes();
    QString device = target.volumePath;
    const auto named =
        std::find_if(allVoumesArr.crbegin(), allVoumesArr.crend(), [&](const VolumeObj& volume) {
            return volume.volumeName == name && volume.parentWholeDisk == target.volumePath;
        });
    if (named != allVoumesArr.crend()) {
        device = named->volumePath;
    }
    eraserDiskCommand(disk::DiskUtilCommands::unmountDisk(QStringLiteral("/dev/") + device));
    eraserDiskCommand(disk::DiskUtilCommands::mountDisk(QStringLiteral("/dev/") + device));
    return isTargetVolume(target, path) ? 0 : kErrErase;
}

bool KVBootable::waitUnlessCancelled() {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, restoreDelay.load(), [this] { return bUserCancel_.load(); });
}

void KVBootable::beginToBootable(const QString& targetPath) {
    if (!waitUnlessCancelled()) {
        finish(kErrCancel, 3);
        return;
    }
    qCInfo(lcServices) << "begin boot";
    KVCreateBootableSystem(QStringLiteral("/"), targetPath);
}

int KVBootable::KVCreateBootableSystem(const QString& source, const QString& targetPath) {
    if (source.isEmpty() || targetPath.isEmpty()) {
        finish(kErrNoSourceOrTarget, 3);
        return kErrNoSourceOrTarget;
    }
    changeProLabelValue(QString());
    platform::globalAsync([this, source, targetPath] { runRestore(source, targetPath); });
    return 0;
}

void KVBootable::runRestore(const QString& source, const QString& targetPath) {
    const platform::CancelFlag stop = currentStop();
    const QStringList arguments{
        QStringLiteral("restore"), QStringLiteral("--source"), source, QStringLiteral("--target"), targetPath,
        QStringLiteral("--erase")};
    qCInfo(lcServices) << "begin boot :" << arguments;
    jobs::AsrOutputParser parser;
    platform::ToolProcess asr({kAsr, arguments});
    asr.setInteractive(true);
    // asr prints its failures ("Could not restore - …") on standard error.
    asr.setMergeStandardError(true);
    asr.setCancelFlag(stop);
    asr.setOutputHandler([&](const QByteArray& chunk) { KVReceivedData(parser.feed(chunk), asr); });
    const platform::ToolResult result = asr.run();
    KVReceivedData(parser.finish(), asr);
    KVTerminated(result, parser);
}

void KVBootable::KVReceivedData(const std::vector<jobs::AsrOutputParser::Event>& events,
                                platform::ToolProcess& asr) {
    using Kind = jobs::AsrOutputParser::Event::Kind;
    for (const jobs::AsrOutputParser::Event& event : events) {
        switch (event.kind) {
            case Kind::Prompt:
                asr.write("y");
                asr.closeStandardInput();
                break;
            case Kind::Step:
                KVUpdateProgress(0, 0, event.step);
                break;
            case Kind::Label:
                changeProLabelValue(event.text);
                break;
            case Kind::Tag:
                changeProTimeWithTag(event.tag, event.pass);
                break;
        }
    }
}

void KVBootable::KVTerminated(const platform::ToolResult& result, const jobs::AsrOutputParser& parser) {
    const bool bothPassesEnded = parser.bothPassesEnded();
    KVLog("task terminated");
    const bool cancelled = KVUserIsCancel();
    if (cancelled) {
        KVLog("User cancel");
    }
    QString disk;
    {
        std::lock_guard guard(mutex_);
        disk = targetDisk_;
    }
    int errorCode = kErrRestore;
    if (cancelled) {
        errorCode = kErrCancel;
    } else if (result.succeeded() && bothPassesEnded) {
        errorCode = 0;
    } else if (!getDisjInfo(disk)) {
        errorCode = kErrUnplugged;
    }
    if (errorCode == kErrRestore) {
        // Kept before the report goes out, so the screen reads it with the report.
        std::lock_guard guard(mutex_);
        restoreReason_ = restoreReasonOf(parser.lastWords(), result);
    }
    qCInfo(lcServices) << "asr ended: outcome" << platform::outcomeName(result.outcome) << "status"
                       << result.exitCode << "both passes" << bothPassesEnded;
    finish(errorCode, 8);
}

void KVBootable::getAllVolumes() {
    allVoumesArr.clear();
    const auto entries = platform::FileSystem::list(kVolumesFolder);
    for (const platform::DirEntry& entry : entries.value_or(std::vector<platform::DirEntry>())) {
        if (entry.name == u"(null)" || entry.name == u".DS_Store") {
            continue;
        }
        const auto bsdName =
            platform::DiskArbitration::bsdNameForVolumePath(kVolumesFolder + u'/' + entry.name);
        if (bsdName && !bsdName->trimmed().isEmpty()) {
            getVolumeAllObjWithVolumeName(*bsdName);
        }
    }
}

void KVBootable::getVolumeAllObjWithVolumeName(const QString& bsdName) {
    // "/Volumes/Macintosh HD" and "/" are one volume.
    if (std::any_of(allVoumesArr.cbegin(), allVoumesArr.cend(),
                    [&](const VolumeObj& volume) { return volume.volumePath == bsdName; })) {
        return;
    }
    const auto info = getDisjInfo(bsdName);
    if (!info || !info->contains(QStringLiteral("VolumeName"))) {
        return;
    }
    const QString fileSystem = text(*info, "FilesystemName");
    const qint64 total = number(*info, "TotalSize");
    const qint64 free = number(*info, fileSystem.toUpper() == u"APFS" ? "APFSContainerFree" : "FreeSpace");
    VolumeObj volume;
    volume.volumeName = text(*info, "VolumeName");
    volume.bCanEject = info->value(QStringLiteral("Ejectable")).toBool();
    volume.volumeTotalSize = KVPublicUtilities::longlongConvertVolSpace(total);
    volume.volumeType = fileSystem;
    volume.volumeFreeSize = KVPublicUtilities::longlongConvertVolSpace(free);
    volume.volumePath = text(*info, "DeviceIdentifier");
    volume.volumeMountPoint = text(*info, "MountPoint");
    volume.diskUUID = text(*info, "DiskUUID");
    volume.parentWholeDisk = jobs::physicalDiskOf(*info);  // an APFS volume's disk, not its container
    volume.volumeTotalSizeNum = total;
    volume.volumeFreeSizeNum = free;
    allVoumesArr.append(volume);
}

std::optional<QVariantMap> KVBootable::getDisjInfo(const QString& device) {
    if (device.isNull()) {
        return std::nullopt;
    }
    return AexecCommand(disk::DiskUtilCommands::info(device));
}
