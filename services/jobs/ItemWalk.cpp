#include "services/jobs/ItemWalk.h"

#include "platform/LogCategories.h"
#include "services/files/FileNode.h"
#include "services/jobs/ItemNames.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace jobs {

using platform::Folder;

ItemWalk::ItemWalk(Visitor& visitor, platform::CancelFlag cancel)
    : visitor_(visitor), cancel_(std::move(cancel)) {}

ItemWalk::~ItemWalk() = default;

std::optional<Folder> ItemWalk::openChosen(Folder& folder, const std::string& folderPath,
                                           const std::string& name) {
    std::optional<Folder> inner = folder.child(name);
    if (inner || errno != EXDEV) {
        return inner;
    }
    const std::string path = folderPath + '/' + name;
    const QString macPath = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    if (macPath.toUtf8().toStdString() != path) {
        errno = EXDEV;
        return std::nullopt;
    }
    return Folder::open(macPath);
}

std::optional<Folder> ItemWalk::openFolderHolding(const FileNode& node, QString& failure) {
    std::vector<const FileNode*> above;
    for (const FileNode* at = node.father(); at != nullptr; at = at->father()) {
        above.push_back(at);
    }
    QString rootPath = (above.empty() ? node : *above.back()).path();
    while (rootPath.endsWith(QLatin1Char('/'))) {
        rootPath.chop(1);
    }
    const qsizetype slash = rootPath.lastIndexOf(QLatin1Char('/'));
    std::string path = nativeFolderPath(above.empty() ? node : *above.back());
    std::optional<Folder> folder = Folder::open(slash <= 0 ? QStringLiteral("/") : rootPath.left(slash));
    for (auto it = above.rbegin(); folder && it != above.rend(); ++it) {
        const std::string name((*it)->nativeName());
        folder = openChosen(*folder, path, name);
        path.append(1, '/').append(name);
    }
    if (!folder) {
        failure = failureText(path, errno);
    }
    return folder;
}

QString ItemWalk::failureText(const std::string& path, int error) {
    return readablePath(path) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

bool ItemWalk::fail(const std::string& name, int error) {
    failure_ = failureText(path_ + '/' + name, error);
    return false;
}

bool ItemWalk::walk(Folder& folder, const std::string& folderPath, const std::string& name) {
    failure_.clear();
    chain_.reset();
    levels_.clear();
    path_ = folderPath;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return fail(name, EINVAL);
    }
    if (cancel_.isRequested() || !step(folder, name, true)) {
        return false;
    }
    while (!levels_.empty()) {
        if (cancel_.isRequested()) {
            return false;
        }
        Level& level = levels_.back();
        if (level.next < level.names.size()) {
            const std::string entry = level.names[level.next++];
            if (!step(chain_->top(), entry, false)) {
                return false;
            }
            continue;
        }
        const int error = visitor_.leave(chain_->top());
        const std::string folderName = path_.substr(level.pathLength + 1);
        path_.resize(level.pathLength);
        levels_.pop_back();
        if (error != 0) {
            return fail(folderName, error);
        }
        if (!levels_.empty() && !chain_->pop()) {
            return fail(folderName, errno);
        }
    }
    return true;
}

// One entry: a non-folder is visited; a folder is listed, entered and its names wait on the stack.
bool ItemWalk::step(Folder& folder, const std::string& name, bool chosen) {
    // Only an entry that is no longer there vanished: the copy of one that still is may have failed for
    // want of its destination.
    const auto gone = [&](int error) {
        if (error != ENOENT || chosen || folder.has(name)) {
            return fail(name, error);
        }
        qCInfo(lcServices).noquote() << "vanished meanwhile, left out:" << readablePath(path_ + '/' + name);
        return true;
    };
    struct stat st {};
    if (::fstatat(folder.descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return gone(errno);
    }
    const Entry entry{folder, path_, name, platform::fileKindOf(st.st_mode)};
    if (!S_ISDIR(st.st_mode)) {
        const int error = visitor_.visit(entry);
        return error == 0 || gone(error);
    }
    std::optional<Folder> inner = chosen ? openChosen(folder, path_, name) : folder.child(name);
    if (!inner && errno == EXDEV && !chosen) {
        return true;  // another volume's mount point, not part of this one
    }
    auto listed = inner ? inner->entries() : std::nullopt;
    if (!listed) {
        return gone(errno);
    }
    if (const int error = visitor_.enter(entry, *inner); error != 0) {
        return gone(error);
    }
    Level level{{}, 0, path_.size()};
    level.names.reserve(listed->size());
    for (Folder::Entry& listedEntry : *listed) {
        level.names.push_back(std::move(listedEntry.name));
    }
    path_.append(1, '/').append(name);
    if (chain_) {
        chain_->push(std::move(*inner));
    } else {
        chain_.emplace(std::move(*inner));
    }
    levels_.push_back(std::move(level));
    return true;
}

}  // namespace jobs
