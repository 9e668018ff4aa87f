#include "platform/FileSystem.h"

#include "platform/Descriptor.h"
#include "platform/Folder.h"
#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

void logFailure(const char* what, const QString& macPath, int error) {
    qCWarning(lcPlatform, "%s %s: %s", what, qUtf8Printable(macPath), std::strerror(error));
}

// The item itself: links before its last component are followed, the last one only when asked.
bool statAt(const QString& macPath, bool followLinks, struct stat& st) {
    const Descriptor fd = openInMac(macPath, O_PATH | (followLinks ? 0 : O_NOFOLLOW));
    return fd.valid() && ::fstat(fd.get(), &st) == 0;
}

// Where the descriptor leads on the host.
QString hostPathOf(const Descriptor& fd) {
    std::vector<char> target(4096);
    const std::string link = "/proc/self/fd/" + std::to_string(fd.get());
    for (;;) {
        const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<size_t>(n) < target.size()) {
            return QFile::decodeName(QByteArray(target.data(), n));
        }
        target.resize(target.size() * 2);
    }
}

bool isSimRootFolder(const Folder& folder) {
    if (!hasSimRoot()) {
        return false;
    }
    const auto root = Folder::open(QStringLiteral("/"), false);
    return root && root->identity() == folder.identity();
}

std::string savingName(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    std::string saving(".");
    saving.append(name, 0, 120).append(".tavrun-saving-").append(std::to_string(::getpid()));
    return saving.append("-").append(std::to_string(counter.fetch_add(1)));
}

bool writeAll(int fd, const QByteArray& content) {
    for (qsizetype done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

}  // namespace

FileInfo FileSystem::info(const QString& macPath, bool followLinks) {
    FileInfo result;
    struct stat st {};
    if (!statAt(macPath, followLinks, st)) {
        return result;
    }
    result.kind = fileKindOf(st.st_mode);
    result.size = static_cast<qint64>(st.st_size);
    result.modifiedSecs = static_cast<qint64>(st.st_mtim.tv_sec);
    result.mode = st.st_mode & 07777;
    return result;
}

bool FileSystem::exists(const QString& macPath) {
    return info(macPath, true).kind != FileKind::Missing;
}

bool FileSystem::isDirectory(const QString& macPath) {
    return info(macPath, true).kind == FileKind::Directory;
}

std::optional<QString> FileSystem::canonicalPath(const QString& macPath) {
    const Descriptor item = openInMac(macPath, O_PATH);
    const Descriptor root = openInMac(QStringLiteral("/"), O_PATH);
    if (!item.valid() || !root.valid()) {
        return std::nullopt;
    }
    const QString path = hostPathOf(item);
    const QString rootPath = hostPathOf(root);
    if (path.isEmpty() || rootPath.isEmpty()) {
        return std::nullopt;
    }
    if (rootPath == u"/") {
        return path;
    }
    if (path == rootPath) {
        return QStringLiteral("/");
    }
    if (path.startsWith(rootPath + u'/')) {
        return path.mid(rootPath.size());
    }
    return std::nullopt;
}

bool FileSystem::isSymLink(const QString& macPath) {
    return info(macPath).kind == FileKind::SymLink;
}

qint64 FileSystem::fileSize(const QString& macPath) {
    const FileInfo i = info(macPath, true);
    return i.kind == FileKind::Missing ? -1 : i.size;
}

std::optional<std::vector<DirEntry>> FileSystem::list(const QString& macPath) {
    const auto folder = Folder::open(macPath, false);
    auto listed = folder ? folder->entries() : std::nullopt;
    if (!listed) {
        logFailure("cannot list", macPath, errno);
        return std::nullopt;
    }
    const bool atSimRoot = isSimRootFolder(*folder);
    std::vector<DirEntry> entries;
    entries.reserve(listed->size());
    for (const Folder::Entry& entry : *listed) {
        if (atSimRoot && entry.name == ".sim") {
            continue;  // the simulated Mac's own data
        }
        entries.push_back({QFile::decodeName(entry.name.c_str()), entry.kind, entry.size});
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return entries;
}

bool FileSystem::mkpath(const QString& macPath) {
    struct stat st {};
    if (statAt(macPath, true, st)) {
        if (S_ISDIR(st.st_mode)) {
            return true;
        }
        logFailure("cannot make the folder", macPath, ENOTDIR);
        return false;
    }
    const int error = errno;
    const auto clean = cleanMacPath(macPath);
    if (error != ENOENT || !clean || *clean == u"/") {
        logFailure("cannot make the folder", macPath, clean ? error : ENOENT);
        return false;
    }
    const qsizetype slash = clean->lastIndexOf(u'/');
    if (!mkpath(slash == 0 ? QStringLiteral("/") : clean->left(slash))) {
        return false;
    }
    std::string name;
    const auto folder = Folder::openParent(*clean, name, false);
    if (folder && (::mkdirat(folder->descriptor(), name.c_str(), 0777) == 0 ||
                   (errno == EEXIST && isDirectory(*clean)))) {
        return true;
    }
    logFailure("cannot make the folder", macPath, errno);
    return false;
}

bool FileSystem::makePrivateFolder(const QString& macPath) {
    const auto clean = cleanMacPath(macPath);
    if (!clean || *clean == u"/" || !mkpath(clean->left(std::max<qsizetype>(1, clean->lastIndexOf(u'/'))))) {
        return false;
    }
    std::string name;
    const auto folder = Folder::openParent(*clean, name, false);
    if (!folder) {
        logFailure("cannot make the private folder", macPath, errno);
        return false;
    }
    const int fd = folder->descriptor();
    if (::mkdirat(fd, name.c_str(), 0700) == 0) {
        return true;
    }
    struct stat st {};
    if (errno == EEXIST && ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(st.st_mode) && ::fchmodat(fd, name.c_str(), 0700, 0) == 0) {
        return true;
    }
    logFailure("cannot make the private folder", macPath, errno == EEXIST ? ENOTDIR : errno);
    return false;
}

bool FileSystem::remove(const QString& macPath) {
    if (!cleanMacPath(macPath)) {
        logFailure("cannot remove", macPath, ENOENT);
        return false;
    }
    std::string name;
    auto folder = Folder::openParent(macPath, name, false);
    if (!folder) {
        return errno == ENOENT;  // nothing there
    }
    if (name == ".") {
        logFailure("cannot remove", macPath, EBUSY);
        return false;
    }
    return folder->removeEntry(name);
}

bool FileSystem::rename(const QString& fromMacPath, const QString& toMacPath) {
    std::string fromName;
    std::string toName;
    const auto from = Folder::openParent(fromMacPath, fromName, false);
    const auto to = Folder::openParent(toMacPath, toName, false);
    if (!from || !to ||
        ::renameat(from->descriptor(), fromName.c_str(), to->descriptor(), toName.c_str()) != 0) {
        logFailure("cannot rename", fromMacPath + QStringLiteral(" to ") + toMacPath, errno);
        return false;
    }
    return true;
}

bool FileSystem::moveToTrash(const QString& macPath) {
    if (!hasSimRoot()) {
        return QFile::moveToTrash(macPath);
    }
    // On a simulated Mac the trash stays inside it, where a Mac keeps it: a volume's own
    // ".Trashes/<uid>", or the user's "~/.Trash" for the root volume.
    const auto clean = cleanMacPath(macPath);
    if (!clean || *clean == u"/" || info(*clean).kind == FileKind::Missing) {
        logFailure("cannot move to the Trash", macPath, ENOENT);
        return false;
    }
    const QStringList parts = clean->split(u'/', Qt::SkipEmptyParts);
    const QString volume =
        parts.size() > 2 && parts[0] == u"Volumes" ? QStringLiteral("/Volumes/") + parts[1] : QString();
    const bool onVolume = !volume.isEmpty() && !isSymLink(volume);
    const QString trash = onVolume ? volume + QStringLiteral("/.Trashes/") + QString::number(::geteuid())
                                   : homeFolder() + QStringLiteral("/.Trash");
    if (!mkpath(trash)) {
        return false;
    }
    const QString name = parts.last();
    QString target = trash + u'/' + name;
    for (int n = 1; info(target).kind != FileKind::Missing; ++n) {
        target = trash + u'/' + name + u' ' + QString::number(n);
    }
    return rename(*clean, target);
}

bool FileSystem::copyItem(const QString& fromMacPath, const QString& toMacPath) {
    std::string fromName;
    std::string toName;
    auto from = Folder::openParent(fromMacPath, fromName);
    if (!from || fromName == ".") {
        logFailure("cannot copy", fromMacPath, from ? EINVAL : errno);
        return false;
    }
    auto to = Folder::openParent(toMacPath, toName, false);
    if (!to || toName == "." || to->has(toName)) {
        logFailure("cannot copy to", toMacPath, to ? EEXIST : errno);
        return false;
    }
    return from->copyEntry(fromName, *to, toName, to->identity());
}

bool FileSystem::copyFile(const QString& fromMacPath, const QString& toMacPath) {
    struct stat st {};
    const bool found = statAt(fromMacPath, false, st);
    if (!found || !S_ISREG(st.st_mode)) {
        logFailure("cannot copy the file", fromMacPath, found ? EINVAL : errno);
        return false;
    }
    return copyItem(fromMacPath, toMacPath);
}

std::optional<QByteArray> FileSystem::readAll(const QString& macPath) {
    const Descriptor fd = openInMac(macPath, O_RDONLY);
    if (!fd.valid()) {
        logFailure("cannot read", macPath, errno);
        return std::nullopt;
    }
    QByteArray content;
    std::vector<char> buffer(size_t{1} << 16);
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            logFailure("cannot read", macPath, errno);
            return std::nullopt;
        }
        if (n == 0) {
            return content;
        }
        content.append(buffer.data(), n);
    }
}

bool FileSystem::writeAtomically(const QString& macPath, const QByteArray& content) {
    std::string name;
    const auto folder = Folder::openParent(macPath, name, false);
    if (!folder || name == ".") {
        logFailure("cannot write", macPath, folder ? EISDIR : errno);
        return false;
    }
    const int at = folder->descriptor();
    const std::string temp = savingName(name);
    Descriptor out(::openat(at, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    struct stat old {};
    const bool replaces = ::fstatat(at, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
    const bool ok = out.valid() && (!replaces || ::fchmod(out.get(), old.st_mode & 07777) == 0) &&
                    writeAll(out.get(), content) && out.close() &&
                    ::renameat(at, temp.c_str(), at, name.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlinkat(at, temp.c_str(), 0);
        logFailure("cannot write", macPath, error);
    }
    return ok;
}

std::unique_ptr<QFile> FileSystem::openForAppend(const QString& macPath) {
    std::string name;
    const auto folder = Folder::openParent(macPath, name, false);
    const int fd = folder ? ::openat(folder->descriptor(), name.c_str(),
                                     O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644)
                          : -1;
    if (fd < 0) {
        logFailure("cannot open for appending:", macPath, errno);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

}  // namespace platform
