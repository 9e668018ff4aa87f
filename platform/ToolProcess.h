#pragma once

#include "platform/CancelFlag.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

class QProcess;

namespace platform {

enum class ToolOutcome {
    Exited,         // started and exited by itself; see exitCode
    FailedToStart,  // missing or not executable: counts as a tool that printed nothing
    Crashed,        // died by a signal nobody sent it
    TimedOut,       // passed its deadline and was stopped
    Cancelled,      // stopped on request
};

// "exited", "failed to start", "crashed", "timed out", "cancelled": how the log names an outcome.
const char* outcomeName(ToolOutcome outcome);

struct ToolResult {
    ToolOutcome outcome = ToolOutcome::FailedToStart;
    int exitCode = -1;
    QByteArray output;  // standard output, unless it went to a file or to an output handler

    bool succeeded() const { return outcome == ToolOutcome::Exited && exitCode == 0; }
};

struct ToolCommand {
    QString program;  // a Mac tool path or bare name; resolved through toolPath()
    QStringList arguments;
};

// Runs one tool from a program and an argument list (never through a shell) and waits for it on the
// calling thread, polling so that a deadline or a cancel request from another thread stops it: first
// SIGTERM, then SIGKILL after the grace period. Standard error goes to the program's own standard error
// unless merged. A run that does not exit with status 0 logs its outcome by name. Create, run and feed it
// on one thread. When the process quits, endAll() ends every tool still running: none outlives it.
class ToolProcess {
public:
    using OutputHandler = std::function<void(const QByteArray& chunk)>;

    explicit ToolProcess(ToolCommand command);
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;
    ~ToolProcess();

    // Standard output goes to this host file (created anew) instead of memory.
    void setStandardOutputFile(const QString& hostPath) { outputFile_ = hostPath; }
    // Each chunk of standard output as it arrives, on the running thread; output is then not kept.
    void setOutputHandler(OutputHandler handler) { handler_ = std::move(handler); }
    void setDeadline(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    void setGracePeriod(std::chrono::milliseconds grace) { grace_ = grace; }
    void setCancelFlag(CancelFlag flag) { cancel_ = std::move(flag); }
    void setMergeStandardError(bool merge) { mergeStderr_ = merge; }
    // Keep standard input open for write(); otherwise the tool reads an empty input.
    void setInteractive(bool interactive) { interactive_ = interactive; }

    ToolResult run();
    // Only from the output handler (the running thread), for an interactive tool.
    void write(const QByteArray& bytes);
    // Only from the output handler: the tool reads the end of its input after what was written.
    void closeStandardInput();

    static ToolResult run(const ToolCommand& command, std::chrono::milliseconds timeout = {});

    // For the process's end, from any thread: every tool still running gets SIGTERM, and SIGKILL when it
    // is still there after `grace`; every later run is cancelled before it starts. Returns when no tool
    // runs any more, or when the kill has had a moment to take effect.
    static void endAll(std::chrono::milliseconds grace);
    // The tools running now, in every thread.
    static int runningCount();
    // Tests start tools again after endAll().
    static void allowRunsForTesting();

private:
    void drain(ToolResult& result);
    void stop();
    void logOutcome(const QString& program, const ToolResult& result) const;

    ToolCommand command_;
    QString outputFile_;
    OutputHandler handler_;
    std::chrono::milliseconds timeout_{0};
    std::chrono::milliseconds grace_{std::chrono::seconds(2)};
    CancelFlag cancel_;
    bool mergeStderr_ = false;
    bool interactive_ = false;
    std::unique_ptr<QProcess> process_;
};

}  // namespace platform
