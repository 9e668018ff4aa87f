#pragma once

#include "tests/support/SimMac.h"

#include <QProcess>

#include <functional>

// Runs a simulated tool and keeps each chunk of its standard output as it arrived, for the tests of pacing
// and of what happens while a tool is still writing. `onChunk` may act mid-stream (unplug a disk, answer).
struct StreamedRun {
    QList<QByteArray> chunks;
    QByteArray err;
    int exitCode = -1;
    bool crashed = false;

    QByteArray out() const {
        QByteArray all;
        for (const QByteArray& c : chunks) {
            all += c;
        }
        return all;
    }

    static StreamedRun run(const testsupport::SimMac& mac, const QString& tool, const QStringList& args,
                           const std::function<void(QProcess&, const QByteArray&)>& onChunk = {}) {
        StreamedRun result;
        QProcess process;
        process.start(mac.toolRoot() + tool, args);
        process.waitForStarted();
        while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
            if (process.bytesAvailable() == 0 && !process.waitForReadyRead(30000)) {
                break;
            }
            const QByteArray chunk = process.readAllStandardOutput();
            if (!chunk.isEmpty()) {
                result.chunks.append(chunk);
                if (onChunk) {
                    onChunk(process, chunk);
                }
            }
        }
        process.waitForFinished(30000);
        result.chunks.append(process.readAllStandardOutput());
        result.chunks.removeAll(QByteArray());
        result.err = process.readAllStandardError();
        result.crashed = process.exitStatus() == QProcess::CrashExit;
        result.exitCode = result.crashed ? -1 : process.exitCode();
        return result;
    }
};
