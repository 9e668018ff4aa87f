#include "platform/FileSystem.h"

#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::optional<QByteArray> native(const QString& macPath) {
    const auto host = hostPath(macPath);
    if (!host) {
        return std::nullopt;
    }
    return QFile::encodeName(*host);
}

FileKind kindOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return FileKind::File;
    }
    if (S_ISDIR(mode)) {
        return FileKind::Directory;
    }
    if (S_ISLNK(mode)) {
        return FileKind::SymLink;
    }
    return FileKind::Other;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool copyBytes(int in, int out) {
    bool useRange = true;
    constexpr size_t kChunk = size_t{1} << 30;
    for (;;) {
        if (useRange) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n > 0) {
                continue;
            }
            if (n == 0) {
                return true;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
                return false;
            }
            useRange = false;  // fall back to plain reads and writes from the current offsets
        }
        std::vector<char> buffer(size_t{1} << 20);
        for (;;) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return n == 0;
            }
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR) {
                    continue;
                }
                if (w <= 0) {
                    return false;
                }
                done += w;
            }
        }
    }
}

QByteArray partialName(const QByteArray& target) {
    static std::atomic<unsigned> counter{0};
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1);
    return folder + "." + name.left(120) + ".tavrun-partial-" + QByteArray::number(::getpid()) + "-" +
           QByteArray::number(counter.fetch_add(1));
}

// Moves `from` to `to` only when `to` does not exist yet.
bool renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    if (::link(from.constData(), to.constData()) != 0) {
        return false;
    }
    ::unlink(from.constData());
    return true;
}

bool copyRegular(const QByteArray& from, const QByteArray& to) {
    // Non-blocking, so that a pipe put in the file's place cannot hold the copy; regular files ignore it.
    Fd in(::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    if (::access(to.constData(), F_OK) == 0 || errno != ENOENT) {
        return false;
    }
    const QByteArray temp = partialName(to);
    Fd out(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (out.get() < 0) {
        return false;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    const bool ok = copyBytes(in.get(), out.get()) && ::fchmod(out.get(), st.st_mode & 07777) == 0 &&
                    ::futimens(out.get(), times) == 0 && out.close() && renameNoReplace(temp, to);
    if (!ok) {
        ::unlink(temp.constData());
    }
    return ok;
}

bool copyLink(const QByteArray& from, const QByteArray& to) {
    std::vector<char> target(256);
    for (;;) {
        const ssize_t n = ::readlink(from.constData(), target.data(), target.size());
        if (n < 0) {
            return false;
        }
        if (static_cast<size_t>(n) < target.size()) {
            target[static_cast<size_t>(n)] = '\0';
            break;
        }
        target.resize(target.size() * 2);
    }
    return ::symlink(target.data(), to.constData()) == 0;
}

bool copyNative(const QByteArray& from, const QByteArray& to);

bool copyFolder(const QByteArray& from, const QByteArray& to, const struct stat& st) {
    if (::mkdir(to.constData(), 0700) != 0) {
        return false;
    }
    DIR* dir = ::opendir(from.constData());
    if (dir == nullptr) {
        return false;
    }
    bool ok = true;
    while (struct dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        ok = copyNative(from + '/' + name, to + '/' + name) && ok;
    }
    ::closedir(dir);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ::chmod(to.constData(), st.st_mode & 07777) == 0 && ok;
    return ::utimensat(AT_FDCWD, to.constData(), times, 0) == 0 && ok;
}

bool copyNative(const QByteArray& from, const QByteArray& to) {
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0) {
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        return copyLink(from, to);
    }
    if (S_ISDIR(st.st_mode)) {
        return copyFolder(from, to, st);
    }
    if (!S_ISREG(st.st_mode)) {
        // Pipes, sockets and device nodes are made anew, as `cp -a` does: reading a pipe waits for a writer.
        return ::mknod(to.constData(), st.st_mode & (S_IFMT | 07777), st.st_rdev) == 0;
    }
    return copyRegular(from, to);
}

bool removeNative(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISDIR(st.st_mode)) {
        return ::unlink(path.constData()) == 0;
    }
    if (DIR* dir = ::opendir(path.constData())) {
        while (struct dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..") {
                removeNative(path + '/' + name);
            }
        }
        ::closedir(dir);
    }
    return ::rmdir(path.constData()) == 0;
}

}  // namespace

FileInfo FileSystem::info(const QString& macPath, bool followLinks) {
    FileInfo result;
    const auto path = native(macPath);
    struct stat st {};
    if (!path || (followLinks ? ::stat(path->constData(), &st) : ::lstat(path->constData(), &st)) != 0) {
        return result;
    }
    result.kind = kindOf(st.st_mode);
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
    const auto host = hostPath(macPath);
    const auto rootHost = hostPath(QStringLiteral("/"));
    if (!host || !rootHost) {
        return std::nullopt;
    }
    const QString path = QFileInfo(*host).canonicalFilePath();
    const QString root = QFileInfo(*rootHost).canonicalFilePath();
    if (path.isEmpty() || root.isEmpty()) {
        return std::nullopt;
    }
    if (root == u"/") {
        return path;
    }
    if (path == root) {
        return QStringLiteral("/");
    }
    if (path.startsWith(root + u'/')) {
        return path.mid(root.size());
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
    const auto path = native(macPath);
    if (!path) {
        return std::nullopt;
    }
    DIR* dir = ::opendir(path->constData());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::vector<DirEntry> entries;
    const int dirFd = ::dirfd(dir);
    while (struct dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        DirEntry item;
        item.name = QFile::decodeName(name);
        struct stat st {};
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            item.kind = kindOf(st.st_mode);
            item.size = static_cast<qint64>(st.st_size);
        }
        entries.push_back(std::move(item));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return entries;
}

bool FileSystem::mkpath(const QString& macPath) {
    const auto host = hostPath(macPath);
    return host && QDir().mkpath(*host);
}

bool FileSystem::makePrivateFolder(const QString& macPath) {
    const auto host = hostPath(macPath);
    if (!host || !QDir().mkpath(QFileInfo(*host).path())) {
        return false;
    }
    const QByteArray path = QFile::encodeName(*host);
    if (::mkdir(path.constData(), 0700) == 0) {
        return true;
    }
    struct stat st {};
    return errno == EEXIST && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::chmod(path.constData(), 0700) == 0;
}

bool FileSystem::remove(const QString& macPath) {
    const auto path = native(macPath);
    return path && removeNative(*path);
}

bool FileSystem::rename(const QString& fromMacPath, const QString& toMacPath) {
    const auto from = native(fromMacPath);
    const auto to = native(toMacPath);
    return from && to && ::rename(from->constData(), to->constData()) == 0;
}

bool FileSystem::moveToTrash(const QString& macPath) {
    if (!hasSimRoot()) {
        return QFile::moveToTrash(macPath);
    }
    // On a simulated Mac the trash stays inside it, where a Mac keeps it: a volume's own
    // ".Trashes/<uid>", or the user's "~/.Trash" for the root volume.
    const auto clean = cleanMacPath(macPath);
    if (!clean || *clean == u"/" || info(*clean).kind == FileKind::Missing) {
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
    const auto from = native(fromMacPath);
    const auto to = native(toMacPath);
    if (!from || !to) {
        return false;
    }
    struct stat st {};
    if (::lstat(to->constData(), &st) == 0) {
        return false;
    }
    return copyNative(*from, *to);
}

bool FileSystem::copyFile(const QString& fromMacPath, const QString& toMacPath) {
    const auto from = native(fromMacPath);
    const auto to = native(toMacPath);
    return from && to && copyRegular(*from, *to);
}

std::optional<QByteArray> FileSystem::readAll(const QString& macPath) {
    const auto host = hostPath(macPath);
    if (!host) {
        return std::nullopt;
    }
    QFile file(*host);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

bool FileSystem::writeAtomically(const QString& macPath, const QByteArray& content) {
    const auto host = hostPath(macPath);
    if (!host) {
        return false;
    }
    QSaveFile file(*host);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        return false;
    }
    return file.commit();
}

std::unique_ptr<QFile> FileSystem::openForAppend(const QString& macPath) {
    const auto path = native(macPath);
    if (!path) {
        return nullptr;
    }
    const int fd = ::open(path->constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        qCWarning(lcPlatform) << "cannot open for appending:" << macPath << ::strerror(errno);
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
