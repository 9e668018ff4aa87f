#include "platform/ToolProcess.h"

#include "platform/LogCategories.h"
#include "platform/ToolPath.h"

#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>

namespace platform {
namespace {

constexpr int kPollMs = 20;

}  // namespace

ToolProcess::ToolProcess(ToolCommand command) : command_(std::move(command)) {}

ToolProcess::~ToolProcess() = default;

ToolResult ToolProcess::run(const ToolCommand& command, std::chrono::milliseconds timeout) {
    ToolProcess process(command);
    process.setDeadline(timeout);
    return process.run();
}

void ToolProcess::write(const QByteArray& bytes) {
    if (process_) {
        process_->write(bytes);
        process_->waitForBytesWritten(1000);
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
    if (!process_->waitForFinished(static_cast<int>(std::max<qint64>(grace_.count(), 1)))) {
        qCWarning(lcPlatform) << command_.program << "ignored SIGTERM; killing it";
        process_->kill();
        process_->waitForFinished(-1);
    }
}

ToolResult ToolProcess::run() {
    ToolResult result;
    const QString program = toolPath(command_.program);
    if (cancel_.isRequested()) {
        result.outcome = ToolOutcome::Cancelled;
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
        qCWarning(lcPlatform) << "could not start" << program << process_->errorString();
        process_.reset();
        return result;
    }

    QElapsedTimer clock;
    clock.start();
    bool stoppedByUs = false;
    while (process_->state() != QProcess::NotRunning) {
        if (cancel_.isRequested()) {
            result.outcome = ToolOutcome::Cancelled;
            stoppedByUs = true;
        } else if (timeout_.count() > 0 && clock.elapsed() >= timeout_.count()) {
            qCWarning(lcPlatform) << program << "passed its deadline of" << timeout_.count() << "ms";
            result.outcome = ToolOutcome::TimedOut;
            stoppedByUs = true;
        }
        if (stoppedByUs) {
            stop();
            break;
        }
        if (outputFile_.isEmpty()) {
            process_->waitForReadyRead(kPollMs);
        } else {
            process_->waitForFinished(kPollMs);
        }
        drain(result);
    }
    drain(result);
    if (!stoppedByUs) {
        const bool crashed = process_->exitStatus() == QProcess::CrashExit;
        result.outcome = crashed ? ToolOutcome::Crashed : ToolOutcome::Exited;
        result.exitCode = crashed ? -1 : process_->exitCode();
    }
    process_.reset();
    return result;
}

}  // namespace platform
