#include "simmac/tools/HostProcess.h"

#include <QProcess>

#include <chrono>
#include <csignal>

#include <sys/wait.h>

namespace simmac {
namespace {

// How often a forwarded tool is looked at for a termination request to pass on.
constexpr std::chrono::milliseconds kPoll{20};

volatile std::sig_atomic_t terminationRequested = 0;

extern "C" void noteTermination(int) {
    terminationRequested = 1;
}

int statusOf(QProcess& process) {
    if (process.exitStatus() == QProcess::NormalExit) {
        return process.exitCode();
    }
    return 128 + SIGKILL;  // QProcess does not tell which signal; a crash reads as killed
}

void start(QProcess& process, const QString& program, const QStringList& args, const QString& workingFolder) {
    if (!workingFolder.isEmpty()) {
        process.setWorkingDirectory(workingFolder);
    }
    process.start(program, args);
}

}  // namespace

HostProcess::Result HostProcess::capture(const QString& program, const QStringList& args,
                                         const QString& workingFolder) {
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    start(process, program, args, workingFolder);
    Result result;
    if (!process.waitForStarted(-1)) {
        return result;
    }
    process.closeWriteChannel();
    process.waitForFinished(-1);
    result.out = process.readAllStandardOutput();
    result.exitCode = statusOf(process);
    return result;
}

int HostProcess::forward(const QString& program, const QStringList& args, const QString& workingFolder) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    // A stop meant for the tool must reach the host tool too, or it would go on writing after the caller
    // has cleaned up; the wrapper then dies by the same signal, as the real tool would.
    std::signal(SIGTERM, noteTermination);
    start(process, program, args, workingFolder);
    if (!process.waitForStarted(-1)) {
        return 127;
    }
    bool passedOn = false;
    while (process.state() != QProcess::NotRunning) {
        process.waitForFinished(static_cast<int>(kPoll.count()));
        if (terminationRequested != 0 && !passedOn) {
            process.terminate();
            passedOn = true;
        }
    }
    if (terminationRequested != 0) {
        std::signal(SIGTERM, SIG_DFL);
        std::raise(SIGTERM);
    }
    return statusOf(process);
}

}  // namespace simmac
