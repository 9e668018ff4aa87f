#pragma once

#include "platform/CancelFlag.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <mutex>
#include <vector>

// The process-wide runner for long tools (diskutil eraseDisk, resizeVolume): set the launch path, the
// arguments and the time-out, then KVStartTask blocks its (background) caller until the tool has ended.
// A tool still running at its deadline, or when KVStopTask is called from any thread, gets SIGTERM and,
// should it ignore that, SIGKILL after a grace period. A stop asked for while no tool runs is kept for
// the next start, until KVResetStop.
class KVTask {
public:
    static KVTask* KVShareInstance();

    void KVSetLaunchPath(const QString& launchPath);  // a null text is ignored
    void KVSetArguments(const QStringList& arguments);
    void KVSetTimeoutCount(double seconds);  // no tool gets less than 60 seconds
    void KVStartTask();
    void KVStopTask();
    void KVResetStop();

    // The tests' stand-in for the 60-second floor.
    static void setMinimumTimeoutForTesting(std::chrono::milliseconds minimum);

private:
    KVTask() = default;
    void KVTimerImp();

    std::mutex mutex_;  // guards every field: callers set, start and stop from different threads
    QString strLaunchPath_;
    QStringList arrArguments_;
    double dTimeoutCount_ = 60.0;
    std::vector<const platform::CancelFlag*> running_;  // the stop flags of the runs in progress
    bool stopPending_ = false;
};
