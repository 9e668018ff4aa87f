#include "services/disks/KVTask.h"

#include "platform/LogCategories.h"
#include "platform/TestSettings.h"
#include "platform/ToolProcess.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr std::chrono::milliseconds kMinimumTimeout = std::chrono::seconds(60);
std::atomic<std::chrono::milliseconds::rep> minimumMs{kMinimumTimeout.count()};

// Seconds as a deadline; anything not above zero (NaN included) is none, anything huge is capped.
std::chrono::milliseconds milliseconds(double seconds) {
    constexpr double kCapSeconds = 1e9;
    return std::chrono::milliseconds(
        seconds > 0 ? static_cast<qint64>(std::min(seconds, kCapSeconds) * 1000.0) : 0);
}

}  // namespace

KVTask* KVTask::KVShareInstance() {
    static KVTask* instance = new KVTask;  // never destroyed
    return instance;
}

void KVTask::KVSetLaunchPath(const QString& launchPath) {
    if (launchPath.isNull()) {
        return;
    }
    std::lock_guard guard(mutex_);
    strLaunchPath_ = launchPath;
}

void KVTask::KVSetArguments(const QStringList& arguments) {
    std::lock_guard guard(mutex_);
    arrArguments_ = arguments;
}

void KVTask::KVSetTimeoutCount(double seconds) {
    std::lock_guard guard(mutex_);
    dTimeoutCount_ = seconds;
}

void KVTask::setMinimumTimeoutForTesting(std::chrono::milliseconds minimum) {
    platform::restoreAfterTest([old = minimumMs.exchange(minimum.count())] { minimumMs.store(old); });
}

void KVTask::KVStartTask() {
    platform::CancelFlag stop;
    platform::ToolCommand command;
    std::chrono::milliseconds deadline{0};
    {
        std::lock_guard guard(mutex_);
        if (stopPending_) {
            stop.request();
            stopPending_ = false;
        }
        running_.push_back(&stop);
        command = {strLaunchPath_, arrArguments_};
        deadline = std::max(milliseconds(dTimeoutCount_), std::chrono::milliseconds(minimumMs.load()));
    }
    platform::ToolProcess process(command);
    process.setDeadline(deadline);
    process.setCancelFlag(stop);
    if (process.run().outcome == platform::ToolOutcome::TimedOut) {
        KVTimerImp();
    }
    {
        std::lock_guard guard(mutex_);
        std::erase(running_, &stop);
    }
    qCInfo(lcServices) << "KVStartTask return";
}

void KVTask::KVStopTask() {
    std::lock_guard guard(mutex_);
    if (running_.empty()) {
        stopPending_ = true;
    }
    for (const platform::CancelFlag* flag : running_) {
        flag->request();
    }
}

void KVTask::KVResetStop() {
    std::lock_guard guard(mutex_);
    stopPending_ = false;
}

void KVTask::KVTimerImp() {
    qCWarning(lcServices) << "task timeout";
}
