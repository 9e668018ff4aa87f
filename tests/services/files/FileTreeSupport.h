#pragma once

#include "platform/Dispatch.h"
#include "services/files/FileNode.h"
#include "tests/support/TestEnv.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>

#include <unistd.h>

namespace filetree {

// A temporary simulated Mac laid out on real folders; every method takes Mac paths.
class SimMac {
public:
    QString host(const QString& macPath) const { return root_.host(macPath); }
    void file(const QString& macPath, qint64 size) const { root_.writeFile(macPath, QByteArray(size, 'x')); }
    void file(const QString& macPath, const QByteArray& content) const { root_.writeFile(macPath, content); }
    void folder(const QString& macPath) const { QDir().mkpath(host(macPath)); }
    void link(const QString& macPath, const QString& target) const {
        folder(QFileInfo(macPath).path());
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(host(macPath)).constData()),
            0);
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
    testsupport::TempSimRoot root_;
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
    EXPECT_TRUE(testsupport::waitUntil([] { return platform::waitForGlobalQueue(0); }));
}

}  // namespace filetree
