#pragma once

#include "platform/CancelFlag.h"
#include "services/disks/VolumeObj.h"
#include "services/jobs/AsrOutputParser.h"
#include "services/jobs/KVBootableDelegate.h"
#include "services/jobs/KVUSBControlDelegate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {
class ToolProcess;
struct ToolResult;
}  // namespace platform

// Turns an external drive into a bootable copy of the running system: it ends the Spotlight store process,
// erases the target whole disk under a fresh volume name ("TavrunSystem", …) in a file system chosen by the
// system version, finds the new volume (mounted at "/Volumes/<name>" and on the target disk) and restores
// "/" onto it with asr, answering its prompt and turning its output into status texts and progress steps.
//
// One engine per process, one job at a time. Everything the delegate hears arrives on the main thread, in
// order; the job ends with one report at step 1, 2, 3 or 8 that carries its verdict (0 or a negative code).
// The job works on the global queue and never holds the main thread.
class KVBootable : public KVUSBControlDelegate {
public:
    static constexpr int kErrNoSourceOrTarget = -1;
    static constexpr int kErrNoTarget = -2;
    static constexpr int kErrUnplugged = -3;  // the target drive is gone or is another drive
    static constexpr int kErrErase = -4;      // the erase made no volume of the chosen name
    static constexpr int kErrRestore = -7;    // the restore tool failed or did not finish both passes
    static constexpr int kErrCancel = -8;
    static constexpr int kErrBusy = -9;  // a job is running

    static KVBootable* KVShareInstance();

    // Opens the log file and becomes the delegate of the USB disk list.
    void KVInit();
    void KVUninit();
    void KVSetDelegate(KVBootableDelegate* delegate) { delegate_ = delegate; }
    KVBootableDelegate* delegateObj() const { return delegate_; }
    QList<QVariantMap> KVGetUSBList() const;

    // Starts a job on the target whole disk (its `volumePath` the BSD name, its `volumeTotalSizeNum` the
    // disk's size); 0, kErrNoTarget for none, kErrBusy while a job runs. On the main thread.
    int KVStart(const VolumeObj* target);
    // Stops the job in whatever state it is: the erase or the restore tool is terminated, a wait ends at
    // once.
    int KVStop();
    bool KVUserIsCancel() override { return bUserCancel_.load(); }
    // Why the last restore failed, for the screen to show beside kErrRestore: asr's last words, or how it
    // ended when it said nothing ("asr crashed"). Untrusted plain text of one line. From any thread.
    QString restoreReason() const;
    void KVEnumUSBFinishImp() override;

    // From any thread: the report reaches the delegate on the main thread.
    void KVUpdateProgress(int base, int errorCode, int stepCode);
    void KVUpdateProgressImp(int base, int errorCode, int stepCode);
    // 0, 12, 25, 37, 50, 62, 75, 87 for steps 0 to 7; 100 for step 8.
    static int KVGetPrecentWithStepCode(int stepCode);
    void changeProTimeWithTag(int tag, int pass);

    // The steps of a job after the erase: wait, then restore `source` onto `targetPath` on the global queue.
    void beginToBootable(const QString& targetPath);
    int KVCreateBootableSystem(const QString& source, const QString& targetPath);

    // The volumes mounted under "/Volumes", for finding the new volume.
    void getAllVolumes();
    void getVolumeAllObjWithVolumeName(const QString& bsdName);
    std::optional<QVariantMap> getDisjInfo(const QString& device);

    // The tests' stand-in for each of the two 2-second waits before the restore.
    static void setRestoreDelayForTesting(std::chrono::milliseconds delay);

private:
    KVBootable() = default;
    void runJob(const VolumeObj& target, const QString& name);
    // Ends the job with the cancel code at this step when a stop was asked for.
    bool endedByCancel(int stepCode);
    platform::CancelFlag currentStop();
    int findNewVolume(const VolumeObj& target, const QString& name, const QString& path);
    bool isTargetVolume(const VolumeObj& target, const QString& path);
    bool isSameDrive(const VolumeObj& target);
    bool waitUnlessCancelled();
    void runRestore(const QString& source, const QString& targetPath);
    void KVReceivedData(const std::vector<jobs::AsrOutputParser::Event>& events, platform::ToolProcess& asr);
    void KVTerminated(const platform::ToolResult& result, const jobs::AsrOutputParser& parser);
    void changeProLabelValue(const QString& text);
    // The job's last report; the next job may start once it is delivered.
    void finish(int errorCode, int stepCode);

    KVBootableDelegate* delegate_ = nullptr;  // main thread only
    std::atomic_bool bUserCancel_{false};
    std::atomic_bool running_{false};
    mutable std::mutex mutex_;  // the job's stop flag, target disk and restore reason; the waits
    std::condition_variable wake_;
    platform::CancelFlag stop_;
    QString targetDisk_;
    QString restoreReason_;
    QList<VolumeObj> allVoumesArr;  // the job's thread only
};
