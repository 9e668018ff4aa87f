#pragma once

#include "platform/Folder.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace jobs {

// The open folders from where a walk began down to where it is. Only the deepest few keep their descriptors,
// so a walk holds few at any depth; one given up is found again through its child's "..", and must still be
// the folder it was. The first folder keeps its descriptor: it may be a volume's mount point, which no walk
// enters from below.
class FolderChain {
public:
    explicit FolderChain(platform::Folder first);

    platform::Folder& top() { return *links_.back().folder; }
    std::size_t depth() const { return links_.size(); }
    void push(platform::Folder folder);
    // Back to the folder holding the top one; false, with errno set, when it cannot be found again (the tree
    // was moved meanwhile). The first folder is never left.
    bool pop();

private:
    struct Link {
        std::optional<platform::Folder> folder;  // none while its descriptor is given up
        platform::Folder::Identity identity;
    };

    std::vector<Link> links_;
};

}  // namespace jobs
