#include "platform/Folder.h"

#include "platform/LogCategories.h"
#include "platform/MacPath.h"
#include "platform/SimInventory.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform {
namespace {

// The folders of one walk that keep their descriptors; deeper ones give theirs up while their children are
// walked.
constexpr int kHeldDepth = 64;
constexpr off_t kCopyChunk = off_t{1} << 30;

Folder::Identity identityOf(const struct stat& st) {
    return {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

QString inFolder(const QString& folder, std::string_view name) {
    const QString entry = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return folder.endsWith(u'/') ? folder + entry : folder + u'/' + entry;
}

// The caller may still tell why from errno: logging can change it.
void logFailure(const char* what, const QString& macPath, int error) {
    qCWarning(lcPlatform, "%s %s: %s", what, qUtf8Printable(macPath), std::strerror(error));
    errno = error;
}

std::string partialName(std::string_view name) {
    static std::atomic<unsigned> counter{0};
    std::string partial(".");
    partial.append(name.substr(0, 120)).append(".tavrun-partial-").append(std::to_string(::getpid()));
    return partial.append("-").append(std::to_string(counter.fetch_add(1)));
}

// Moves `from` to `to` in the same folder only when `to` does not exist yet.
bool renameNoReplace(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) {
        return false;
    }
    ::unlinkat(folder, from.c_str(), 0);
    return true;
}

bool copyByReading(int in, int out, off_t at, off_t length) {
    std::vector<char> buffer(static_cast<size_t>(std::min<off_t>(length, off_t{1} << 20)));
    while (length > 0) {
        const ssize_t n = ::pread(in, buffer.data(),
                                  static_cast<size_t>(std::min<off_t>(length, off_t(buffer.size()))), at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + done, static_cast<size_t>(n - done), at + done);
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                return false;
            }
            done += w;
        }
        at += n;
        length -= n;
    }
    return true;
}

// Copies `length` bytes at `at` to the same place of `out`, inside the kernel where it can.
bool copyRange(int in, int out, off_t at, off_t length) {
    off_t inAt = at;
    off_t outAt = at;
    while (length > 0) {
        const ssize_t n =
            ::copy_file_range(in, &inAt, out, &outAt, static_cast<size_t>(std::min(length, kCopyChunk)), 0);
        if (n > 0) {
            length -= n;
            continue;
        }
        if (n == 0) {
            return true;  // the file shrank meanwhile
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            return false;
        }
        return copyByReading(in, out, inAt, length);
    }
    return true;
}

// Copies the data and leaves holes where the source has them, so that a sparse file stays sparse.
bool copyData(int in, int out, const struct stat& st) {
    if (st.st_size == 0) {
        return true;
    }
    if (st.st_blocks * 512 >= st.st_size) {
        return copyRange(in, out, 0, st.st_size);
    }
    for (off_t at = 0; at < st.st_size;) {
        const off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {
                break;  // only a hole is left
            }
            return copyRange(in, out, at, st.st_size - at);
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0) {
            hole = st.st_size;
        }
        if (!copyRange(in, out, data, hole - data)) {
            return false;
        }
        at = hole;
    }
    return ::ftruncate(out, st.st_size) == 0;
}

// On a Mac the extended attributes carry Finder information, tags and resource forks. A destination that
// cannot hold one does not fail the copy.
void copyExtendedAttributes(int in, int out, const QString& macPath) {
    ssize_t size = ::flistxattr(in, nullptr, 0);
    if (size <= 0) {
        return;
    }
    std::vector<char> names(static_cast<size_t>(size));
    size = ::flistxattr(in, names.data(), names.size());
    std::vector<char> value;
    for (const char* name = names.data(); size > 0 && name < names.data() + size;
         name += std::strlen(name) + 1) {
        const ssize_t length = ::fgetxattr(in, name, nullptr, 0);
        if (length < 0) {
            continue;
        }
        value.resize(static_cast<size_t>(length));
        const ssize_t got = ::fgetxattr(in, name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(out, name, value.data(), static_cast<size_t>(got), 0) != 0) {
            qCWarning(lcPlatform, "extended attribute %s of %s not copied: %s", name, qUtf8Printable(macPath),
                      std::strerror(errno));
        }
    }
}

bool copyRegular(int from, const std::string& name, int to, const std::string& newName, bool fresh,
                 const QString& macPath) {
    // Non-blocking, so that a pipe put in the file's place cannot hold the copy; regular files ignore it.
    const Descriptor in(::openat(from, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!in.valid() || ::fstat(in.get(), &st) != 0) {
        logFailure("cannot read", macPath, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        logFailure("no longer a file:", macPath, EINVAL);
        return false;
    }
    // Inside a folder this copy has just made nobody waits for the name, and a failure removes the file
    // again.
    const std::string target = fresh ? newName : partialName(newName);
    Descriptor out(::openat(to, target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.valid()) {
        logFailure("cannot create the copy of", macPath, errno);
        return false;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    bool ok = copyData(in.get(), out.get(), st);
    if (ok) {
        copyExtendedAttributes(in.get(), out.get(), macPath);
    }
    ok = ok && ::fchmod(out.get(), st.st_mode & 07777) == 0 && ::futimens(out.get(), times) == 0 &&
         out.close();
    ok = ok && (fresh || renameNoReplace(to, target, newName));
    if (!ok) {
        const int error = errno;
        ::unlinkat(to, target.c_str(), 0);
        logFailure("cannot copy", macPath, error);
    }
    return ok;
}

bool copyLink(int from, const std::string& name, const struct stat& st, int to, const std::string& newName,
              const QString& macPath) {
    std::vector<char> target(static_cast<size_t>(std::max<off_t>(st.st_size, 255)) + 1);
    for (;;) {
        const ssize_t n = ::readlinkat(from, name.c_str(), target.data(), target.size());
        if (n < 0) {
            logFailure("cannot read the link", macPath, errno);
            return false;
        }
        if (static_cast<size_t>(n) < target.size()) {
            target[static_cast<size_t>(n)] = '\0';
            break;
        }
        target.resize(target.size() * 2);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::symlinkat(target.data(), to, newName.c_str()) != 0 ||
        ::utimensat(to, newName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        logFailure("cannot copy the link", macPath, errno);
        return false;
    }
    return true;
}

// A link as a link, a file with its content; pipes, sockets and device nodes are made anew, as `cp -a` does:
// reading a pipe waits for a writer.
bool copyNonFolder(int from, const std::string& name, const struct stat& st, int to,
                   const std::string& newName, bool fresh, const QString& macPath) {
    if (S_ISLNK(st.st_mode)) {
        return copyLink(from, name, st, to, newName, macPath);
    }
    if (S_ISREG(st.st_mode)) {
        return copyRegular(from, name, to, newName, fresh, macPath);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::mknodat(to, newName.c_str(), st.st_mode & (S_IFMT | 07777), st.st_rdev) != 0 ||
        ::utimensat(to, newName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        logFailure("cannot copy", macPath, errno);
        return false;
    }
    return true;
}

}  // namespace

// What a walk that stays on one volume does not enter: a folder on another device than its parent, or one of
// the mount points known by identity.
struct Folder::Fence {
    std::vector<Identity> mountPoints;

    bool excludes(const struct stat& st, dev_t parentDevice) const {
        return S_ISDIR(st.st_mode) &&
               (st.st_dev != parentDevice ||
                std::find(mountPoints.begin(), mountPoints.end(), identityOf(st)) != mountPoints.end());
    }
};

namespace {

std::shared_ptr<const Folder::Fence> makeFence() {
    QStringList paths{QStringLiteral("/Volumes"), QStringLiteral("/System/Volumes")};
    if (hasSimRoot()) {
        paths.append(QStringLiteral("/.sim"));
        if (const auto state = SimInventory::state()) {
            for (const QVariantMap& volume : SimInventory::mountedVolumes(*state)) {
                paths.append(volume.value(QStringLiteral("MountPoint")).toString());
            }
        }
    }
    auto fence = std::make_shared<Folder::Fence>();
    for (const QString& path : paths) {
        const Descriptor fd = openInMac(path, O_PATH | O_NOFOLLOW);
        struct stat st {};
        if (path != u"/" && fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) {
            fence->mountPoints.push_back(identityOf(st));
        }
    }
    return fence;
}

// Made again when the simulated Mac's inventory changes (a mount, an unmount) or another Mac is simulated.
std::shared_ptr<const Folder::Fence> currentFence() {
    struct Key {
        QString root;
        qint64 inode = 0;
        qint64 size = 0;
        qint64 seconds = 0;
        qint64 nanoseconds = 0;
        bool operator==(const Key&) const = default;
    };
    struct Cache {
        std::mutex mutex;
        Key key;
        std::shared_ptr<const Folder::Fence> fence;
    };
    static auto* cache = new Cache;  // never destroyed: walks may still run when the process exits
    Key key{simRoot()};
    struct stat st {};
    if (!key.root.isEmpty() &&
        ::stat(QFile::encodeName(key.root + QStringLiteral("/.sim/state.plist")).constData(), &st) == 0) {
        key.inode = static_cast<qint64>(st.st_ino);
        key.size = static_cast<qint64>(st.st_size);
        key.seconds = static_cast<qint64>(st.st_mtim.tv_sec);
        key.nanoseconds = static_cast<qint64>(st.st_mtim.tv_nsec);
    }
    const std::lock_guard lock(cache->mutex);
    if (!cache->fence || !(cache->key == key)) {
        cache->fence = makeFence();
        cache->key = key;
    }
    return cache->fence;
}

}  // namespace

FileKind fileKindOf(unsigned mode) {
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

Descriptor openInMac(const QString& macPath, int flags, unsigned mode) {
    const auto clean = cleanMacPath(macPath);
    if (!clean) {
        errno = ENOENT;
        return {};
    }
    const unsigned createMode = (flags & O_CREAT) != 0 ? mode : 0;
    if (!hasSimRoot()) {
        return Descriptor(::open(QFile::encodeName(*clean).constData(), flags | O_CLOEXEC, createMode));
    }
    const Descriptor root(::open(QFile::encodeName(simRoot()).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!root.valid()) {
        return {};
    }
    const QByteArray relative = *clean == u"/" ? QByteArray(".") : QFile::encodeName(clean->mid(1));
    open_how how{};
    how.flags = static_cast<quint64>(flags | O_CLOEXEC);
    how.mode = createMode;
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    for (int attempt = 0;; ++attempt) {
        const auto fd = ::syscall(SYS_openat2, root.get(), relative.constData(), &how, sizeof how);
        // A rename during the resolution asks for another try.
        if (fd >= 0 || errno != EAGAIN || attempt == 8) {
            return Descriptor(static_cast<int>(fd));
        }
    }
}

Folder::Folder(Descriptor fd, const struct stat& st, int depth, std::shared_ptr<const Fence> fence,
               QString path)
    : fd_(std::move(fd)), stat_(st), depth_(depth), fence_(std::move(fence)), path_(std::move(path)) {}

Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;

std::optional<Folder> Folder::open(const QString& macPath, bool stayOnVolume) {
    Descriptor fd = openInMac(macPath, O_RDONLY | O_DIRECTORY);
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        return std::nullopt;
    }
    return Folder(std::move(fd), st, 0, stayOnVolume ? currentFence() : nullptr,
                  cleanMacPath(macPath).value_or(macPath));
}

std::optional<Folder> Folder::openParent(const QString& macPath, std::string& name, bool stayOnVolume) {
    const auto clean = cleanMacPath(macPath);
    if (!clean) {
        errno = ENOENT;
        return std::nullopt;
    }
    if (*clean == u"/") {
        name.assign(1, '.');
        return open(*clean, stayOnVolume);
    }
    const qsizetype slash = clean->lastIndexOf(u'/');
    name = clean->mid(slash + 1).toStdString();
    return open(slash == 0 ? QStringLiteral("/") : clean->left(slash), stayOnVolume);
}

Folder::Identity Folder::identity() const {
    return identityOf(stat_);
}

std::optional<Folder> Folder::openChild(std::string_view name, bool checkFence) const {
    const std::string entry(name);
    Descriptor fd(::openat(fd_.get(), entry.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        return std::nullopt;
    }
    if (checkFence && fence_ && fence_->excludes(st, stat_.st_dev)) {
        errno = EXDEV;
        return std::nullopt;
    }
    return Folder(std::move(fd), st, depth_ + 1, fence_, inFolder(path_, name));
}

std::optional<Folder> Folder::child(std::string_view name) const {
    return openChild(name, true);
}

std::optional<std::vector<Folder::Listed>> Folder::statEntries() const {
    if (::lseek(fd_.get(), 0, SEEK_SET) != 0) {
        return std::nullopt;
    }
    thread_local std::vector<char> buffer(size_t{1} << 15);
    std::vector<Listed> listed;
    for (;;) {
        const ssize_t n = ::getdents64(fd_.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            return listed;
        }
        for (ssize_t at = 0; at < n;) {
            const char* record = buffer.data() + at;
            unsigned short length = 0;
            std::memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
            at += length;
            const char* name = record + offsetof(struct dirent64, d_name);
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
                continue;
            }
            Listed entry{name, {}};
            if (::fstatat(fd_.get(), name, &entry.st, AT_SYMLINK_NOFOLLOW) != 0) {
                entry.st.st_mode = 0;  // vanished meanwhile: neither a file nor a folder
            } else if (fence_ && fence_->excludes(entry.st, stat_.st_dev)) {
                continue;
            }
            listed.push_back(std::move(entry));
        }
    }
}

std::optional<std::vector<Folder::Entry>> Folder::entries() const {
    auto listed = statEntries();
    if (!listed) {
        return std::nullopt;
    }
    std::vector<Entry> result;
    result.reserve(listed->size());
    for (Listed& item : *listed) {
        result.push_back(
            {std::move(item.name), fileKindOf(item.st.st_mode), static_cast<qint64>(item.st.st_size)});
    }
    return result;
}

bool Folder::descend(std::string_view name, const std::function<void(Folder&)>& walk) {
    auto sub = child(name);
    if (!sub) {
        logFailure("cannot enter", inFolder(path_, name), errno);
        return false;
    }
    const bool release = depth_ >= kHeldDepth;
    if (release) {
        fd_.reset();
    }
    walk(*sub);
    if (!release) {
        return true;
    }
    Descriptor back(::openat(sub->fd_.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!back.valid() || ::fstat(back.get(), &st) != 0 || identityOf(st) != identity()) {
        logFailure("lost its place in the tree:", path_, back.valid() ? ESTALE : errno);
        return false;
    }
    fd_ = std::move(back);
    return true;
}

std::optional<Folder> Folder::makeChild(std::string_view name, bool reuse) {
    const std::string entry(name);
    if (::mkdirat(fd_.get(), entry.c_str(), 0700) == 0) {
        auto made = openChild(name, false);
        if (made) {
            made->made_ = true;
        }
        return made;
    }
    if (errno != EEXIST || !reuse) {
        logFailure("cannot make the folder", inFolder(path_, name), errno);
        return std::nullopt;
    }
    // Never through a link standing at the name: what is copied into it would land elsewhere.
    auto existing = openChild(name, false);
    if (!existing) {
        logFailure("no folder to reuse at", inFolder(path_, name), errno);
    }
    return existing;
}

bool Folder::takeAttributesOf(const Folder& source) {
    copyExtendedAttributes(source.fd_.get(), fd_.get(), source.path_);
    const struct timespec times[2] = {source.stat_.st_atim, source.stat_.st_mtim};
    if (::fchmod(fd_.get(), source.stat_.st_mode & 07777) != 0 || ::futimens(fd_.get(), times) != 0) {
        logFailure("cannot set the mode and times of", path_, errno);
        return false;
    }
    return true;
}

bool Folder::copyEntry(std::string_view name, Folder& destination, std::string_view newName, Identity skip) {
    const std::string entry(name);
    const std::string copyName(newName);
    const QString macPath = inFolder(path_, name);
    struct stat st {};
    if (::fstatat(fd_.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        logFailure("cannot copy", macPath, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        return copyNonFolder(fd_.get(), entry, st, destination.fd_.get(), copyName, destination.made_,
                             macPath);
    }
    if (identityOf(st) == skip) {
        logFailure("cannot copy a folder into itself:", macPath, EINVAL);
        return false;
    }
    // The chosen folder itself may be a mount point; only what lies below it stays on its volume.
    auto source = openChild(name, false);
    if (!source) {
        logFailure("cannot open", macPath, errno);
        return false;
    }
    auto copy = destination.makeChild(newName, false);
    if (!copy) {
        return false;
    }
    const bool copied = source->copyContent(*copy, skip);
    return copy->takeAttributesOf(*source) && copied;
}

bool Folder::copyContent(Folder& destination, Identity skip) {
    const auto listed = statEntries();
    if (!listed) {
        logFailure("cannot read", path_, errno);
        return false;
    }
    bool ok = true;
    for (const Listed& item : *listed) {
        if (!S_ISDIR(item.st.st_mode)) {
            ok = copyNonFolder(fd_.get(), item.name, item.st, destination.fd_.get(), item.name, true,
                               inFolder(path_, item.name)) &&
                 ok;
            continue;
        }
        if (identityOf(item.st) == skip) {
            continue;  // where the copy goes: never into itself
        }
        if (::mkdirat(destination.fd_.get(), item.name.c_str(), 0700) != 0) {
            logFailure("cannot make the folder", inFolder(destination.path_, item.name), errno);
            ok = false;
            continue;
        }
        bool copied = false;
        const bool walked = descend(item.name, [&](Folder& source) {
            bool content = false;
            const bool reached = destination.descend(item.name, [&](Folder& copy) {
                content = source.copyContent(copy, skip);
                content = copy.takeAttributesOf(source) && content;
            });
            copied = reached && content;
        });
        ok = walked && copied && ok;
        if (!fd_.valid() || !destination.fd_.valid()) {
            return false;
        }
    }
    return ok;
}

bool Folder::removeEntry(std::string_view name) {
    const std::string entry(name);
    struct stat st {};
    if (::fstatat(fd_.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    const bool isFolder = S_ISDIR(st.st_mode);
    if (isFolder) {
        descend(name, [](Folder& inner) {
            for (const Entry& item : inner.entries().value_or(std::vector<Entry>{})) {
                inner.removeEntry(item.name);
            }
        });
    }
    if (::unlinkat(fd_.get(), entry.c_str(), isFolder ? AT_REMOVEDIR : 0) == 0 || errno == ENOENT) {
        return true;
    }
    logFailure("cannot remove", inFolder(path_, name), errno);
    return false;
}

bool Folder::has(std::string_view name) const {
    const std::string entry(name);
    struct stat st {};
    return ::fstatat(fd_.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace platform
