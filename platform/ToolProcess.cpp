#include "platform/ToolProcess.h"

#include "platform/LogCategories.h"
#include "platform/ToolPath.h"

#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

#include <signal.h>

namespace platform {
namespace {

constexpr std::chrono::milliseconds kPoll{20};
constexpr std::chrono::milliseconds kWriteWait{1000};
constexpr std::chrono::milliseconds kKillWait{500};

// Every tool running in the process, by process id, so that the process's end can reach them all, also
// those whose thread waits elsewhere (on the main thread, in an output handler).
struct RunningTools {
    std::mutex mutex;
    std::condition_variable changed;
    std::set<qint64> pids;
    std::atomic_bool ending{false};
};

RunningTools& runningTools() {
    static auto* tools = new RunningTools;  // never destroyed: a worker may end its tool during the exit
    return *tools;
}

// False once the process is ending: the caller stops the tool it has just started.
bool addRunning(qint64 pid) {
    RunningTools& tools = runningTools();
    const std::lock_guard lock(tools.mutex);
    if (tools.ending) {
        return false;
    }
    tools.pids.insert(pid);
    return true;
}

void removeRunning(qint64 pid) {
    RunningTools& tools = runningTools();
    {
        const std::lock_guard lock(tools.mutex);
        tools.pids.erase(pid);
    }
    tools.changed.notify_all();
}

// Under the lock. A process leaves the set as soon as its run has seen it end.
void signalRunning(const RunningTools& tools, int signal) {
    for (const qint64 pid : tools.pids) {
        ::kill(static_cast<pid_t>(pid), signal);
    }
}

int msecs(std::chrono::milliseconds duration) {
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(duration.count(), 1));
}

}  // namespace

const char* outcomeName(ToolOutcome outcome) {
    switch (outcome) {
        case ToolOutcome::Exited:
            return "exited";
        case ToolOutcome::FailedToStart:
            return "failed to start";
        case ToolOutcome::Crashed:
            return "crashed";
        case ToolOutcome::TimedOut:
            return "timed out";
        case ToolOutcome::Cancelled:
            return "cancelled";
    }
    return "ended";
}

ToolProcess::ToolProcess(ToolCommand command) : command_(std::move(command)) {}

ToolProcess::~ToolProcess() = default;

void ToolProcess::endAll(std::chrono::milliseconds grace) {
    RunningTools& tools = runningTools();
    std::unique_lock lock(tools.mutex);
    tools.ending = true;
    signalRunning(tools, SIGTERM);
    const auto none = [&tools] { return tools.pids.empty(); };
    if (!tools.changed.wait_for(lock, grace, none)) {
        qCWarning(lcPlatform) << tools.pids.size() << "tools ignored SIGTERM at the end; killing them";
        signalRunning(tools, SIGKILL);
        tools.changed.wait_for(lock, kKillWait, none);
    }
}

int ToolProcess::runningCount() {
    RunningTools& tools = runningTools();
    const std::lock_guard lock(tools.mutex);
    return static_cast<int>(tools.pids.size());
}

void ToolProcess::allowRunsForTesting() {
    runningTools().ending = false;
}

ToolResult ToolProcess::run(const ToolCommand& command, std::chrono::milliseconds timeout) {
    ToolProcess process(command);
    process.setDeadline(timeout);
    return process.run();
}

void ToolProcess::write(const QByteArray& bytes) {
    if (process_) {
        process_->write(bytes);
        process_->waitForBytesWritten(msecs(kWriteWait));
    }
}

void ToolProcess::closeStandardInput() {
    if (process_) {
        process_->closeWriteChannel();
    }
}

void ToolProcess::drain(ToolResult& result) {
    if (!outputFile_.isEmpty()) {
        return;
    }
    const QByteArray chunk = process_->readAllStandardOutput();
    if (chunk.isEmpty()) {
        return;
    }
    if (handler_) {
        handler_(chunk);
    } else {
        result.output += chunk;
    }
}

void ToolProcess::stop() {
    process_->terminate();
    if (!process_->waitForFinished(msecs(grace_))) {
        qCWarning(lcPlatform) << command_.program << "ignored SIGTERM; killing it";
        process_->kill();
        process_->waitForFinished(-1);
    }
}

ToolResult ToolProcess::run() {
    ToolResult result;
    const QString program = toolPath(command_.program);
    if (cancel_.isRequested() || runningTools().ending) {
        result.outcome = ToolOutcome::Cancelled;
        logOutcome(program, result);
        return result;
    }
    process_ = std::make_unique<QProcess>();
    process_->setProgram(program);
    process_->setArguments(command_.arguments);
    process_->setProcessChannelMode(mergeStderr_ ? QProcess::MergedChannels
                                                 : QProcess::ForwardedErrorChannel);
    if (!outputFile_.isEmpty()) {
        process_->setStandardOutputFile(outputFile_, QIODevice::Truncate);
    }
    if (!interactive_) {
        process_->setStandardInputFile(QProcess::nullDevice());
    }
    process_->start(QIODevice::ReadWrite);
    if (!process_->waitForStarted(-1)) {
        qCWarning(lcPlatform).noquote() << program << "failed to start:" << process_->errorString();
        process_.reset();
        return result;
    }

    const qint64 pid = process_->processId();
    const bool registered = addRunning(pid);

    QElapsedTimer clock;
    clock.start();
    bool stoppedByUs = false;
    while (process_->state() != QProcess::NotRunning) {
        if (cancel_.isRequested() || !registered || runningTools().ending) {
            result.outcome = ToolOutcome::Cancelled;
            stoppedByUs = true;
        } else if (timeout_.count() > 0 && clock.elapsed() >= timeout_.count()) {
            result.outcome = ToolOutcome::TimedOut;
            stoppedByUs = true;
        }
        if (stoppedByUs) {
            stop();
            break;
        }
        if (outputFile_.isEmpty()) {
            process_->waitForReadyRead(msecs(kPoll));
        } else {
            process_->waitForFinished(msecs(kPoll));
        }
        drain(result);
    }
    drain(result);
    if (registered) {
        removeRunning(pid);
    }
    if (!stoppedByUs) {
        const bool crashed = process_->exitStatus() == QProcess::CrashExit;
        // A tool that died by the process's end was stopped on request, not crashed.
        const ToolOutcome died = runningTools().ending ? ToolOutcome::Cancelled : ToolOutcome::Crashed;
        result.outcome = crashed ? died : ToolOutcome::Exited;
        result.exitCode = crashed ? -1 : process_->exitCode();
    }
    process_.reset();
    logOutcome(program, result);
    return result;
}

void ToolProcess::logOutcome(const QString& program, const ToolResult& result) const {
    if (result.succeeded()) {
        return;
    }
    QString text = program + u' ' + QLatin1String(outcomeName(result.outcome));
    if (result.outcome == ToolOutcome::Exited) {
        text += QStringLiteral(" with status %1").arg(result.exitCode);
    } else if (result.outcome == ToolOutcome::TimedOut) {
        text += QStringLiteral(" after %1 ms").arg(timeout_.count());
    }
    // A status other than 0 is an answer (diskutil's "no such disk"); the others are failures of the run.
    if (result.outcome == ToolOutcome::Exited || result.outcome == ToolOutcome::Cancelled) {
        qCInfo(lcPlatform).noquote() << text;
    } else {
        qCWarning(lcPlatform).noquote() << text;
    }
}

}  // namespace platform
