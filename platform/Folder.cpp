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
// Small enough that a stop asked for during a big file on a slow disk is heard within a second.
constexpr off_t kCopyChunk = off_t{8} << 20;

Folder::Identity identityOf(const struct stat& st) {
    return {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

QString inFolder(const QString& folder, std::string_view name) {
    const QString entry = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return folder.endsWith(u'/') ? folder + entry : folder + u'/' + entry;
}

void logFailure(const char* what, const QString& macPath, int error) {
    qCWarning(lcPlatform, "%s %s: %s", what, qUtf8Printable(macPath), std::strerror(error));
}

// How copying one entry ended: `error` is 0 when it was copied; `vanished` when the source had gone.
struct Copied {
    int error = 0;
    bool vanished = false;
};

Copied failedWith(int error) {
    return {error, false};
}

CopyWatch& quietWatch() {
    static CopyWatch* watch =
        std::make_unique<CopyWatch>().release();  // never destroyed: copies may run at exit
    return *watch;
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

// The functions below answer 0 or the errno that stopped them; ECANCELED when the watch asked to stop.
int copyByReading(int in, int out, off_t at, off_t length, CopyWatch& watch) {
    std::vector<char> buffer(static_cast<size_t>(std::min<off_t>(length, off_t{1} << 20)));
    while (length > 0) {
        if (!watch.goOn()) {
            return ECANCELED;
        }
        const ssize_t n = ::pread(in, buffer.data(),
                                  static_cast<size_t>(std::min<off_t>(length, off_t(buffer.size()))), at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0 ? 0 : errno;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + done, static_cast<size_t>(n - done), at + done);
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                return w == 0 ? EIO : errno;
            }
            done += w;
        }
        at += n;
        length -= n;
    }
    return 0;
}

// Copies `length` bytes at `at` to the same place of `out`, inside the kernel where it can, a chunk at a
// time.
int copyRange(int in, int out, off_t at, off_t length, CopyWatch& watch) {
    off_t inAt = at;
    off_t outAt = at;
    while (length > 0) {
        if (!watch.goOn()) {
            return ECANCELED;
        }
        const ssize_t n =
            ::copy_file_range(in, &inAt, out, &outAt, static_cast<size_t>(std::min(length, kCopyChunk)), 0);
        if (n > 0) {
            length -= n;
            continue;
        }
        if (n == 0) {
            return 0;  // the file shrank meanwhile
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            return errno;
        }
        return copyByReading(in, out, inAt, length, watch);
    }
    return 0;
}

// Copies the data and leaves holes where the source has them, so that a sparse file stays sparse.
int copyData(int in, int out, const struct stat& st, CopyWatch& watch) {
    if (st.st_size == 0) {
        return 0;
    }
    if (st.st_blocks * 512 >= st.st_size) {
        return copyRange(in, out, 0, st.st_size, watch);
    }
    for (off_t at = 0; at < st.st_size;) {
        const off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {
                break;  // only a hole is left
            }
            return copyRange(in, out, at, st.st_size - at, watch);
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0) {
            hole = st.st_size;
        }
        if (const int error = copyRange(in, out, data, hole - data, watch)) {
            return error;
        }
        at = hole;
    }
    return ::ftruncate(out, st.st_size) == 0 ? 0 : errno;
}

// On a Mac the extended attributes carry Finder information, tags and resource forks. A destination that
// cannot hold one does not fail the copy.
// `where` names the item in a message, built only when one is written.
void copyExtendedAttributes(int in, int out, const std::function<QString()>& where) {
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
            const int error = errno;
            qCWarning(lcPlatform, "extended attribute %s of %s not copied: %s", name, qUtf8Printable(where()),
                      std::strerror(error));
        }
    }
}

Copied copyRegular(int from, const std::string& name, int to, const std::string& newName, bool fresh,
                   CopyWatch& watch) {
    // Non-blocking, so that a pipe put in the file's place cannot hold the copy; regular files ignore it.
    const Descriptor in(::openat(from, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!in.valid() || ::fstat(in.get(), &st) != 0) {
        return {errno, errno == ENOENT};
    }
    if (!S_ISREG(st.st_mode)) {
        return failedWith(EINVAL);  // something else was put in its place
    }
    // Inside a folder this copy has just made nobody waits for the name, and a failure removes the file
    // again.
    const std::string target = fresh ? newName : partialName(newName);
    Descriptor out(::openat(to, target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.valid()) {
        return failedWith(errno);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    int error = copyData(in.get(), out.get(), st, watch);
    if (error == 0) {
        copyExtendedAttributes(in.get(), out.get(), [&] { return QString::fromUtf8(name); });
        const bool done = ::fchmod(out.get(), st.st_mode & 07777) == 0 && ::futimens(out.get(), times) == 0 &&
                          out.close() && (fresh || renameNoReplace(to, target, newName));
        error = done ? 0 : errno;
    }
    if (error != 0) {
        ::unlinkat(to, target.c_str(), 0);
    }
    return failedWith(error);
}

Copied copyLink(int from, const std::string& name, const struct stat& st, int to,
                const std::string& newName) {
    std::vector<char> target(static_cast<size_t>(std::max<off_t>(st.st_size, 255)) + 1);
    for (;;) {
        const ssize_t n = ::readlinkat(from, name.c_str(), target.data(), target.size());
        if (n < 0) {
            return {errno, errno == ENOENT};
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
        return failedWith(errno);
    }
    return {};
}

// A link as a link, a file with its content; pipes, sockets and device nodes are made anew, as `cp -a` does:
// reading a pipe waits for a writer.
Copied copyNonFolder(int from, const std::string& name, const struct stat& st, int to,
                     const std::string& newName, bool fresh, CopyWatch& watch) {
    if (S_ISLNK(st.st_mode)) {
        return copyLink(from, name, st, to, newName);
    }
    if (S_ISREG(st.st_mode)) {
        return copyRegular(from, name, to, newName, fresh, watch);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::mknodat(to, newName.c_str(), st.st_mode & (S_IFMT | 07777), st.st_rdev) != 0 ||
        ::utimensat(to, newName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        return failedWith(errno);
    }
    return {};
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

// A folder's place: the path it was opened by, or its parent's place and its own name. A walk's folders share
// their parents' parts, so a deep walk holds one name per level, and a path is built only when asked for.
struct Folder::PathPart {
    std::shared_ptr<const PathPart> parent;
    QString text;

    QString path() const {
        std::vector<const PathPart*> parts;
        for (const PathPart* part = this; part != nullptr; part = part->parent.get()) {
            parts.push_back(part);
        }
        QString joined = parts.back()->text;
        for (auto it = parts.rbegin() + 1; it != parts.rend(); ++it) {
            if (!joined.endsWith(u'/')) {
                joined += u'/';
            }
            joined += (*it)->text;
        }
        return joined;
    }
};

Folder::Folder(Descriptor fd, const struct stat& st, int depth, std::shared_ptr<const Fence> fence,
               std::shared_ptr<const PathPart> path)
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
    auto path = std::make_shared<const PathPart>(PathPart{nullptr, cleanMacPath(macPath).value_or(macPath)});
    return Folder(std::move(fd), st, 0, stayOnVolume ? currentFence() : nullptr, std::move(path));
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
    name = QFile::encodeName(clean->mid(slash + 1)).toStdString();
    return open(slash == 0 ? QStringLiteral("/") : clean->left(slash), stayOnVolume);
}

QString Folder::macPath() const {
    return path_ ? path_->path() : QString();
}

QString Folder::macPathOf(std::string_view name) const {
    return inFolder(macPath(), name);
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
    auto path = std::make_shared<const PathPart>(
        PathPart{path_, QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))});
    return Folder(std::move(fd), st, depth_ + 1, fence_, std::move(path));
}

std::optional<Folder> Folder::child(std::string_view name) const {
    return openChild(name, true);
}

std::optional<std::vector<std::string>> Folder::names() const {
    if (::lseek(fd_.get(), 0, SEEK_SET) != 0) {
        return std::nullopt;
    }
    thread_local std::vector<char> buffer(size_t{1} << 15);
    std::vector<std::string> names;
    for (;;) {
        const ssize_t n = ::getdents64(fd_.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            return names;
        }
        for (ssize_t at = 0; at < n;) {
            const char* record = buffer.data() + at;
            unsigned short length = 0;
            std::memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
            at += length;
            const char* name = record + offsetof(struct dirent64, d_name);
            if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
                names.emplace_back(name);
            }
        }
    }
}

std::optional<std::vector<Folder::Entry>> Folder::entries() const {
    auto listed = names();
    if (!listed) {
        return std::nullopt;
    }
    std::vector<Entry> result;
    result.reserve(listed->size());
    for (std::string& name : *listed) {
        struct stat st {};
        if (::fstatat(fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                qCDebug(lcPlatform, "vanished while listed: %s", qUtf8Printable(macPathOf(name)));
                continue;
            }
            st.st_mode = 0;  // there, but unreadable: neither a file nor a folder
        } else if (fence_ && fence_->excludes(st, stat_.st_dev)) {
            continue;
        }
        result.push_back({std::move(name), fileKindOf(st.st_mode), static_cast<qint64>(st.st_size)});
    }
    return result;
}

std::optional<Folder> Folder::enter(std::string_view name) {
    auto sub = child(name);
    if (sub && depth_ >= kHeldDepth) {
        fd_.reset();
    }
    return sub;
}

bool Folder::comeBackFrom(const Folder& child) {
    if (fd_.valid()) {
        return true;
    }
    Descriptor back(::openat(child.fd_.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!back.valid() || ::fstat(back.get(), &st) != 0 || identityOf(st) != identity()) {
        logFailure("lost its place in the tree:", macPath(), back.valid() ? ESTALE : errno);
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
    const int error = errno;
    if (error != EEXIST || !reuse) {
        logFailure("cannot make the folder", macPathOf(name), error);
        errno = error;
        return std::nullopt;
    }
    // Never through a link standing at the name: what is copied into it would land elsewhere.
    auto existing = openChild(name, false);
    if (!existing) {
        const int failure = errno;
        logFailure("no folder to reuse at", macPathOf(name), failure);
        errno = failure;
    }
    return existing;
}

bool Folder::takeAttributesOf(const Folder& source) {
    copyExtendedAttributes(source.fd_.get(), fd_.get(), [&] { return source.macPath(); });
    const struct timespec times[2] = {source.stat_.st_atim, source.stat_.st_mtim};
    if (::fchmod(fd_.get(), source.stat_.st_mode & 07777) != 0 || ::futimens(fd_.get(), times) != 0) {
        logFailure("cannot set the mode and times of", macPath(), errno);
        return false;
    }
    return true;
}

namespace {

void tellFailure(CopyWatch& watch, const QString& macPath, int error) {
    logFailure("cannot copy", macPath, error);
    watch.failed(macPath, error);
}

}  // namespace

bool Folder::copyEntry(std::string_view name, Folder& destination, std::string_view newName, Identity skip,
                       CopyWatch* watch) {
    CopyWatch& told = watch != nullptr ? *watch : quietWatch();
    const std::string entry(name);
    struct stat st {};
    if (::fstatat(fd_.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        tellFailure(told, macPathOf(name), error);  // a chosen item that has gone is missing from the copy
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        const Copied copied = copyNonFolder(fd_.get(), entry, st, destination.fd_.get(), std::string(newName),
                                            destination.made_, told);
        if (copied.error != 0 && copied.error != ECANCELED) {
            tellFailure(told, macPathOf(name), copied.error);
        }
        return copied.error == 0;
    }
    if (identityOf(st) == skip) {
        tellFailure(told, macPathOf(name), EINVAL);  // a folder cannot be copied into itself
        return false;
    }
    // The chosen folder itself may be a mount point; only what lies below it stays on its volume.
    auto source = openChild(name, false);
    if (!source) {
        const int error = errno;
        tellFailure(told, macPathOf(name), error);
        return false;
    }
    auto copy = destination.makeChild(newName, false);
    if (!copy) {
        const int error = errno;
        told.failed(macPathOf(name), error);
        return false;
    }
    return copyTree(std::move(*source), std::move(*copy), skip, told);
}

namespace {

// One folder of a copy on the walk's stack: the source, its copy, what the source lists and how far the copy
// has got.
struct CopyLevel {
    Folder source;
    Folder copy;
    std::vector<std::string> names;
    std::size_t next;
    bool ok;
};

}  // namespace

bool Folder::copyTree(Folder source, Folder copy, Identity skip, CopyWatch& watch) {
    std::vector<CopyLevel> stack;
    // A folder that cannot be listed is still made, and fails.
    const auto push = [&](Folder from, Folder to) {
        auto listed = from.names();
        if (!listed) {
            const int error = errno;
            tellFailure(watch, from.macPath(), error);
        }
        stack.push_back({std::move(from), std::move(to), listed.value_or(std::vector<std::string>{}), 0,
                         listed.has_value()});
    };
    push(std::move(source), std::move(copy));
    bool stopped = false;
    for (;;) {
        CopyLevel& level = stack.back();
        if (stopped || level.next == level.names.size()) {
            CopyLevel done = std::move(stack.back());
            stack.pop_back();
            const bool copied = done.copy.takeAttributesOf(done.source) && done.ok;
            if (stack.empty()) {
                return copied && !stopped;
            }
            CopyLevel& parent = stack.back();
            parent.ok = copied && parent.ok;
            if (!parent.source.comeBackFrom(done.source) || !parent.copy.comeBackFrom(done.copy)) {
                parent.ok = false;
                stopped = true;  // the folders above cannot be reached any more
            }
            continue;
        }
        if (!watch.goOn()) {
            stopped = true;
            continue;
        }
        const std::string& name = level.names[level.next++];
        watch.next(level.source, name);
        struct stat st {};
        if (::fstatat(level.source.fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = errno;
            if (error == ENOENT) {
                qCWarning(lcPlatform, "left out, it vanished meanwhile: %s",
                          qUtf8Printable(level.source.macPathOf(name)));
                watch.vanished(level.source.macPathOf(name));
            } else {
                tellFailure(watch, level.source.macPathOf(name), error);
                level.ok = false;
            }
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            const Copied copied =
                copyNonFolder(level.source.fd_.get(), name, st, level.copy.fd_.get(), name, true, watch);
            if (copied.vanished) {
                watch.vanished(level.source.macPathOf(name));
            } else if (copied.error == ECANCELED) {
                stopped = true;
            } else if (copied.error != 0) {
                tellFailure(watch, level.source.macPathOf(name), copied.error);
                level.ok = false;
            }
            continue;
        }
        const Fence* fence = level.source.fence_.get();
        if (identityOf(st) == skip || (fence != nullptr && fence->excludes(st, level.source.stat_.st_dev))) {
            continue;  // where the copy goes, never into itself; another volume's mount point
        }
        // Both are opened before either lets go of its parent, so a failure leaves this level usable.
        std::optional<Folder> from = level.source.openChild(name, false);
        std::optional<Folder> to;
        if (from && ::mkdirat(level.copy.fd_.get(), name.c_str(), 0700) == 0) {
            to = level.copy.openChild(name, false);
        }
        if (!from || !to) {
            const int error = errno;
            tellFailure(watch, level.source.macPathOf(name), error);
            level.ok = false;
            continue;
        }
        if (level.source.depth_ >= kHeldDepth) {
            level.source.fd_.reset();
            level.copy.fd_.reset();
        }
        to->made_ = true;
        push(std::move(*from), std::move(*to));
    }
}

namespace {

struct RemoveLevel {
    Folder folder;
    std::vector<std::string> names;
    std::size_t next = 0;
};

}  // namespace

bool Folder::removeEntry(std::string_view name) {
    const std::string entry(name);
    struct stat st {};
    if (::fstatat(fd_.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    const bool isFolder = S_ISDIR(st.st_mode);
    if (isFolder) {
        std::vector<RemoveLevel> stack;
        if (auto top = openChild(name, false)) {
            auto listed = top->names();
            stack.push_back({std::move(*top), listed.value_or(std::vector<std::string>{})});
        }
        while (!stack.empty()) {
            RemoveLevel& level = stack.back();
            if (level.next == level.names.size()) {
                RemoveLevel done = std::move(stack.back());
                stack.pop_back();
                if (!stack.empty() && stack.back().folder.comeBackFrom(done.folder)) {
                    const std::string& child = stack.back().names[stack.back().next - 1];
                    ::unlinkat(stack.back().folder.fd_.get(), child.c_str(), AT_REMOVEDIR);
                } else if (!stack.empty()) {
                    break;  // lost its place: what is left stays
                }
                continue;
            }
            const std::string& child = level.names[level.next++];
            if (::unlinkat(level.folder.fd_.get(), child.c_str(), 0) == 0 || errno != EISDIR) {
                continue;
            }
            auto inner = level.folder.openChild(child, false);
            if (!inner) {
                continue;
            }
            auto listed = inner->names();
            const bool release = level.folder.depth_ >= kHeldDepth;
            if (release) {
                level.folder.fd_.reset();
            }
            stack.push_back({std::move(*inner), listed.value_or(std::vector<std::string>{})});
        }
    }
    if (::unlinkat(fd_.get(), entry.c_str(), isFolder ? AT_REMOVEDIR : 0) == 0 || errno == ENOENT) {
        return true;
    }
    logFailure("cannot remove", macPathOf(name), errno);
    return false;
}

bool Folder::has(std::string_view name) const {
    const std::string entry(name);
    struct stat st {};
    return ::fstatat(fd_.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool Folder::flush() const {
    if (::syncfs(fd_.get()) == 0) {
        return true;
    }
    const int error = errno;
    logFailure("cannot write to its disk:", macPath(), error);
    errno = error;
    return false;
}

}  // namespace platform
