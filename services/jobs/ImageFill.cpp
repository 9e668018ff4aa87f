#include "services/jobs/ImageFill.h"

#include "services/files/FileNode.h"
#include "services/jobs/ItemNames.h"

#include <cerrno>
#include <utility>

namespace jobs {
namespace {

// The errno a failed call left, or a plain input/output error when it left none.
int lastError() {
    return errno != 0 ? errno : EIO;
}

}  // namespace

using platform::Folder;

ImageFill::ImageFill(Folder image, platform::CancelFlag cancel)
    : image_(std::move(image)), cancel_(cancel), walk_(*this, std::move(cancel)) {}

bool ImageFill::fail(const std::string& path, int error) {
    failure_ = ItemWalk::failureText(path, error);
    return false;
}

bool ImageFill::leaveMade() {
    Made& top = made_.back();
    errno = 0;
    const bool done = top.copy.takeAttributesOf(top.source);
    const int error = lastError();
    const std::string path = nativePath(*top.node);
    made_.pop_back();
    return done || fail(path, error);
}

// The folders still made for the items before this one are kept as far as they lie above it too.
bool ImageFill::makeFoldersAbove(const FileNode& chosen) {
    std::vector<const FileNode*> above;
    for (const FileNode* at = chosen.father(); at != nullptr; at = at->father()) {
        above.insert(above.begin(), at);
    }
    std::size_t kept = 0;
    while (kept < made_.size() && kept < above.size() && made_[kept].node == above[kept]) {
        ++kept;
    }
    while (made_.size() > kept) {
        if (!leaveMade()) {
            return false;
        }
    }
    for (std::size_t level = kept; level < above.size(); ++level) {
        const FileNode& node = *above[level];
        const std::string name(node.nativeName());
        std::optional<Folder> holder;
        if (level == 0 && !(holder = ItemWalk::openFolderHolding(node, failure_))) {
            return false;
        }
        errno = 0;
        std::optional<Folder> source =
            ItemWalk::openChosen(level == 0 ? *holder : made_.back().source, nativeFolderPath(node), name);
        std::optional<Folder> copy =
            source ? (level == 0 ? image_ : made_.back().copy).makeChild(name, false) : std::nullopt;
        if (!copy) {
            return fail(nativePath(node), lastError());
        }
        made_.push_back({&node, std::move(*source), std::move(*copy)});
    }
    return true;
}

bool ImageFill::copy(const FileNode& chosen) {
    if (!makeFoldersAbove(chosen)) {
        return false;
    }
    std::optional<Folder> holder =
        made_.empty() ? ItemWalk::openFolderHolding(chosen, failure_) : std::nullopt;
    if (made_.empty() && !holder) {
        return false;
    }
    into_ = made_.empty() ? &image_ : &made_.back().copy;
    copies_.reset();
    const bool copied = walk_.walk(made_.empty() ? *holder : made_.back().source, nativeFolderPath(chosen),
                                   std::string(chosen.nativeName()));
    failure_ = walk_.failure();
    return copied;
}

bool ImageFill::finish() {
    while (!made_.empty()) {
        if (!leaveMade()) {
            return false;
        }
    }
    return true;
}

int ImageFill::visit(const ItemWalk::Entry& entry) {
    Folder& to = into();
    if (!copies_ && to.has(entry.name)) {
        return EEXIST;  // another chosen item of that name
    }
    errno = 0;
    return entry.folder.copyEntry(entry.name, to, entry.name, image_.identity(), this) ? 0 : lastError();
}

int ImageFill::enter(const ItemWalk::Entry& entry, Folder& /*inner*/) {
    errno = 0;
    std::optional<Folder> made = into().makeChild(entry.name, false);
    if (!made) {
        return lastError();
    }
    if (copies_) {
        copies_->push(std::move(*made));
    } else {
        copies_.emplace(std::move(*made));
    }
    return 0;
}

int ImageFill::leave(Folder& inner) {
    errno = 0;
    const bool done = copies_->top().takeAttributesOf(inner);
    const int error = lastError();
    if (copies_->depth() == 1) {
        copies_.reset();
    } else if (!copies_->pop()) {
        return lastError();
    }
    return done ? 0 : error;
}

}  // namespace jobs
