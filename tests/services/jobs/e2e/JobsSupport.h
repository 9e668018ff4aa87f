#pragma once

#include "platform/Dispatch.h"
#include "services/disks/VolumeObj.h"

#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

// Long enough for a clone on a loaded machine with sanitizers; the simulated tools are paced short.
constexpr int kJobTimeoutMs = 120000;

// Waits, serving the main thread (workers report to it synchronously), until the global queue is idle.
inline bool settle() {
    return testsupport::waitUntil([] { return platform::waitForGlobalQueue(std::chrono::milliseconds(1)); },
                                  kJobTimeoutMs);
}

// Calls of one tool whose arguments start with `verb` (diskutil's verb, hdiutil's verb).
inline QList<QStringList> verbCalls(const testsupport::SimMac& sim, const QString& tool,
                                    const QString& verb) {
    QList<QStringList> calls;
    for (const QStringList& argv : toolCalls(sim, tool)) {
        if (argv.value(0) == verb) {
            calls << argv;
        }
    }
    return calls;
}

// A whole disk as the Clone OS screen hands it to the engine: its BSD name and its size.
inline VolumeObj targetDisk(const testsupport::SimMac& sim, const QString& disk) {
    VolumeObj target;
    const QVariantMap info = sim.info(disk);
    target.volumePath = disk;
    target.volumeName = info.value("MediaName").toString();
    target.volumeTotalSizeNum = info.value("TotalSize").toLongLong();
    target.bCanEject = info.value("Ejectable").toBool();
    return target;
}

// Every name below a host folder, relative to it, sorted; a file's content after " = " when asked.
inline QStringList treeOf(const QString& hostFolder, bool withContent = false) {
    QStringList names;
    QDirIterator it(hostFolder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QString name = QDir(hostFolder).relativeFilePath(path);
        QFile file(path);
        if (withContent && QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly)) {
            name += QStringLiteral(" = ") + QString::fromUtf8(file.readAll());
        }
        names << name;
    }
    names.sort();
    return names;
}

inline void writeHostFile(const QString& hostPath, const QByteArray& content) {
    QDir().mkpath(QFileInfo(hostPath).path());
    QFile file(hostPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}
