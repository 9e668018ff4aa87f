#include "platform/ToolProcess.h"

#include "platform/LogCategories.h"
#include "platform/ToolPath.h"

#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>

namespace platform {
namespace {

constexpr std::chrono::milliseconds kPoll{20};
constexpr std::chrono::milliseconds kWriteWait{1000};

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
    if (cancel_.isRequested()) {
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

    QElapsedTimer clock;
    clock.start();
    bool stoppedByUs = false;
    while (process_->state() != QProcess::NotRunning) {
        if (cancel_.isRequested()) {
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
    if (!stoppedByUs) {
        const bool crashed = process_->exitStatus() == QProcess::CrashExit;
        result.outcome = crashed ? ToolOutcome::Crashed : ToolOutcome::Exited;
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
