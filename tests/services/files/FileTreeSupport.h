#pragma once

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/PropertyList.h"
#include "services/files/FileNode.h"
#include "tests/support/TestEnv.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filetree {

// A temporary simulated Mac laid out on real folders, in memory where the machine has a memory file system
// (trees thousands of folders deep are made and removed in a moment there); every method takes Mac paths.
class SimMac {
public:
    SimMac()
        : dir_(QDir(QStringLiteral("/dev/shm")).exists()
                   ? QStringLiteral("/dev/shm/tavrun-test-XXXXXX")
                   : QDir::tempPath() + QStringLiteral("/tavrun-test-XXXXXX")),
          path_(QFileInfo(dir_.path()).canonicalFilePath()),
          env_("TAVRUN_SIM_ROOT", path_) {}
    SimMac(const SimMac&) = delete;
    SimMac& operator=(const SimMac&) = delete;
    // Trees deeper than a path may be long are beyond the temporary folder's own removal.
    ~SimMac() {
        for (const auto& entry :
             platform::FileSystem::list(QStringLiteral("/")).value_or(std::vector<platform::DirEntry>{})) {
            platform::FileSystem::remove(QLatin1Char('/') + entry.name);
        }
    }
    QString host(const QString& macPath) const { return path_ + macPath; }
    void file(const QString& macPath, qint64 size) const { file(macPath, QByteArray(size, 'x')); }
    void file(const QString& macPath, const QByteArray& content) const {
        folder(QFileInfo(macPath).path());
        QFile out(host(macPath));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(content) == content.size())
            << macPath.toStdString();
    }
    void folder(const QString& macPath) const { QDir().mkpath(host(macPath)); }
    void link(const QString& macPath, const QString& target) const {
        folder(QFileInfo(macPath).path());
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(host(macPath)).constData()),
            0);
    }
    // A chain of `levels` folders named "level" below `macPath`, deeper than a path may be long, with a file
    // of 7 bytes in every hundredth and in the deepest.
    void deepTree(const QString& macPath, int levels) const {
        folder(macPath);
        int fd = ::open(QFile::encodeName(host(macPath)).constData(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level <= levels && fd >= 0; ++level) {
            if (level % 100 == 0 || level == levels) {
                const int file = ::openat(fd, "file", O_WRONLY | O_CREAT, 0644);
                EXPECT_EQ(::write(file, "7 bytes", 7), 7);
                ::close(file);
            }
            if (level < levels) {
                ::mkdirat(fd, "level", 0755);
                const int next = ::openat(fd, "level", O_RDONLY | O_DIRECTORY);
                ::close(fd);
                fd = next;
            }
        }
        ::close(fd);
    }
    // The simulated Mac's inventory with volumes mounted at `mountPoints`.
    void mounted(const QStringList& mountPoints) const {
        QVariantList volumes;
        for (const QString& mountPoint : mountPoints) {
            volumes.append(QVariantMap{{QStringLiteral("MountPoint"), mountPoint}});
        }
        file(QStringLiteral("/.sim/state.plist"),
             platform::PropertyList::toXml(
                 QVariantMap{{QStringLiteral("Disks"),
                              QVariantList{QVariantMap{{QStringLiteral("Partitions"), volumes}}}}}));
    }
    struct stat stat(const QString& macPath) const {
        struct stat st {};
        EXPECT_EQ(::lstat(QFile::encodeName(host(macPath)).constData(), &st), 0) << macPath.toStdString();
        return st;
    }
    bool exists(const QString& macPath) const { return QFileInfo(host(macPath)).exists(); }
    bool isLink(const QString& macPath) const { return QFileInfo(host(macPath)).isSymLink(); }
    QByteArray read(const QString& macPath) const {
        QFile in(host(macPath));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    // Every name below a folder, relative to it, sorted ("a", "a/b.txt", ...).
    QStringList tree(const QString& macPath) const {
        QStringList names;
        const std::filesystem::path base = QFile::encodeName(host(macPath)).toStdString();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
            names.append(QString::fromStdString(entry.path().lexically_relative(base).string()));
        }
        names.sort();
        return names;
    }

private:
    QTemporaryDir dir_;
    QString path_;
    testsupport::ScopedEnv env_;
};

inline std::unique_ptr<FileNode> node(const QString& path, bool isDirectory, qint64 state = 1,
                                      quint64 size = 0) {
    auto made = std::make_unique<FileNode>(path, QFileInfo(path).fileName(), isDirectory, nullptr);
    made->setState(state);
    made->setSize(size);
    return made;
}

// Appends the child and returns it, as a scan does.
inline FileNode* adopt(FileNode* father, std::unique_ptr<FileNode> child) {
    child->setFather(father);
    father->children().push_back(std::move(child));
    return father->children().back().get();
}

inline SharedFileNodeList rootList() {
    return std::make_shared<FileNodeList>();
}

inline QStringList names(const FileNodeList& list) {
    QStringList result;
    for (const auto& item : list) {
        result.append(item->name());
    }
    return result;
}

// Serves the main thread until every background job of the global queue has ended.
inline void drainBackground() {
    EXPECT_TRUE(testsupport::waitUntil(
        [] { return platform::waitForGlobalQueue(std::chrono::milliseconds::zero()); }));
}

}  // namespace filetree
