#pragma once

#include "platform/CancelFlag.h"
#include "platform/CopyWatch.h"
#include "platform/Folder.h"
#include "services/jobs/FolderChain.h"
#include "services/jobs/ItemWalk.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class FileNode;

namespace jobs {

// Copies chosen items into an image's folder, each at its path below the folder of its root, as a copy
// keeps them: the partly checked folders above an item are made in the image as the copy reaches them, and
// take their sources' modes and times at the end. Entry by entry, at any depth: links stay links, pipes and
// devices are made anew, nothing of another volume is copied. Two chosen items of one name in one folder
// fail the copy, as does any entry that cannot be read or written.
class ImageFill : private ItemWalk::Visitor, private platform::CopyWatch {
public:
    ImageFill(platform::Folder image, platform::CancelFlag cancel);

    // False, with `failure` set unless it was cancelled, when the item is not all in the image.
    bool copy(const FileNode& chosen);
    // After the last item.
    bool finish();
    const QString& failure() const { return failure_; }

private:
    // A partly checked folder above the items and its copy in the image.
    struct Made {
        const FileNode* node;
        platform::Folder source;
        platform::Folder copy;
    };

    bool makeFoldersAbove(const FileNode& chosen);
    bool leaveMade();
    bool fail(const std::string& path, int error);
    platform::Folder& into() { return copies_ ? copies_->top() : *into_; }
    int visit(const ItemWalk::Entry& entry) override;
    int enter(const ItemWalk::Entry& entry, platform::Folder& inner) override;
    int leave(platform::Folder& inner) override;
    // A cancel stops a big file between its chunks too, not only before the next entry.
    bool goOn() override { return !cancel_.isRequested(); }

    platform::Folder image_;
    platform::CancelFlag cancel_;
    ItemWalk walk_;
    std::vector<Made> made_;
    platform::Folder* into_ = nullptr;   // where the chosen item at hand goes
    std::optional<FolderChain> copies_;  // the copies of the folders the walk is in
    QString failure_;
};

}  // namespace jobs
