#include "services/jobs/FolderChain.h"

#include <cerrno>
#include <utility>

namespace jobs {
namespace {

// The folders just above the top that keep their descriptors: shallow trees never look one up again.
constexpr std::size_t kHeld = 32;

}  // namespace

FolderChain::FolderChain(platform::Folder first) {
    const platform::Folder::Identity identity = first.identity();
    links_.push_back({std::move(first), identity});
}

void FolderChain::push(platform::Folder folder) {
    const platform::Folder::Identity identity = folder.identity();
    links_.push_back({std::move(folder), identity});
    if (links_.size() > kHeld + 1) {
        Link& deep = links_[links_.size() - 1 - kHeld];
        if (&deep != &links_.front()) {
            deep.folder.reset();
        }
    }
}

bool FolderChain::pop() {
    if (links_.size() < 2) {
        return true;
    }
    Link left = std::move(links_.back());
    links_.pop_back();
    Link& top = links_.back();
    if (top.folder) {
        return true;
    }
    std::optional<platform::Folder> up = left.folder->child("..");
    if (!up || up->identity() != top.identity) {
        errno = up ? ESTALE : errno;
        return false;
    }
    top.folder = std::move(up);
    return true;
}

}  // namespace jobs
