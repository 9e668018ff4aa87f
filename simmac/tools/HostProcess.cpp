#include "simmac/tools/HostProcess.h"

#include <QProcess>

#include <sys/wait.h>

namespace simmac {
namespace {

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
    start(process, program, args, workingFolder);
    if (!process.waitForStarted(-1)) {
        return 127;
    }
    process.waitForFinished(-1);
    return statusOf(process);
}

}  // namespace simmac
