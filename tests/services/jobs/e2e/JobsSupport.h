#pragma once

#include "platform/Dispatch.h"
#include "services/disks/VolumeObj.h"

#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

// Long enough for a clone on a loaded machine with sanitizers; the simulated tools are paced short.
constexpr int kJobTimeoutMs = 120000;

// Waits, serving the main thread (workers report to it synchronously), until the global queue is idle; then
// hands over what the workers queued for the main thread last.
inline bool settle() {
    const bool idle = testsupport::waitUntil(
        [] { return platform::waitForGlobalQueue(std::chrono::milliseconds(1)); }, kJobTimeoutMs);
    QCoreApplication::sendPostedEvents();
    return idle;
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

// A chain of `depth` folders "d" below a host folder, with an empty file at its end.
inline void makeChain(const QString& hostFolder, int depth, const char* file) {
    QDir().mkpath(hostFolder);
    int fd = ::open(QFile::encodeName(hostFolder).constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; fd >= 0 && level < depth; ++level) {
        const int next = ::mkdirat(fd, "d", 0755) == 0 ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY) : -1;
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    const int made = ::openat(fd, file, O_CREAT | O_WRONLY, 0644);
    ::close(fd);
    ASSERT_GE(made, 0);
    ::close(made);
}

// Removes such a chain, deeper than a path can name, one level at a time from the top: the second folder
// takes the first one's place.
inline void removeChain(const QString& hostFolder, const char* file) {
    const int top = ::open(QFile::encodeName(hostFolder).constData(), O_RDONLY | O_DIRECTORY);
    for (int head = ::openat(top, "d", O_RDONLY | O_DIRECTORY); head >= 0;
         head = ::openat(top, "d", O_RDONLY | O_DIRECTORY)) {
        const bool deeper = ::renameat(head, "d", top, "next") == 0;
        ::unlinkat(head, file, 0);
        ::close(head);
        ::unlinkat(top, "d", AT_REMOVEDIR);
        if (!deeper || ::renameat(top, "next", top, "d") != 0) {
            break;
        }
    }
    ::close(top);
}

inline void writeHostFile(const QString& hostPath, const QByteArray& content) {
    QDir().mkpath(QFileInfo(hostPath).path());
    QFile file(hostPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}
