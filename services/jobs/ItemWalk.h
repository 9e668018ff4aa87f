#pragma once

#include "platform/CancelFlag.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "services/jobs/FolderChain.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class FileNode;

namespace jobs {

// Walks one chosen item entry by entry, depth first, with a stack of its own, so that no depth matters;
// each level holds its names, not its path. Names go by their bytes on disk, links are not followed and no
// other volume is entered below the item. An entry that cannot be looked at, or a folder that cannot be
// opened or read, ends the walk naming it with the reason; an entry that vanished after its folder was listed
// is skipped and logged, but a chosen item that is gone ends the walk. A cancel ends it before the next
// entry.
class ItemWalk {
public:
    struct Entry {
        platform::Folder& folder;       // holds it
        const std::string& folderPath;  // the Mac path of `folder`, in bytes ("" for "/")
        const std::string& name;
        platform::FileKind kind;
    };

    // What a walk does at each entry: each answers 0 to go on, or the errno that ends the walk (ENOENT for an
    // entry met in a listing only skips it: it vanished).
    class Visitor {
    public:
        virtual ~Visitor() = default;
        // A file, a link or another non-folder.
        virtual int visit(const Entry& entry) = 0;
        // A folder, opened as `inner`, whose content comes next.
        virtual int enter(const Entry& entry, platform::Folder& inner) = 0;
        // Its content has been walked.
        virtual int leave(platform::Folder& inner) = 0;
    };

    ItemWalk(Visitor& visitor, platform::CancelFlag cancel);
    ItemWalk(const ItemWalk&) = delete;
    ItemWalk& operator=(const ItemWalk&) = delete;
    ~ItemWalk();

    // Walks the entry `name` of `folder` (whose Mac path is `folderPath`). False when it failed (see
    // `failure`) or was cancelled.
    bool walk(platform::Folder& folder, const std::string& folderPath, const std::string& name);
    // "<readable path>: <reason>" of the entry that ended the last walk; empty after a cancel.
    const QString& failure() const { return failure_; }

    // The folder `name` of `folder`: a chosen folder may be another volume's mount point, which a walk
    // otherwise does not enter.
    static std::optional<platform::Folder> openChosen(platform::Folder& folder, const std::string& folderPath,
                                                      const std::string& name);
    // The folder that holds a chosen node: its root's folder by its path, then the folders of the nodes above
    // it by their names on disk. Nothing when one of them cannot be opened, with `failure` naming it.
    static std::optional<platform::Folder> openFolderHolding(const FileNode& node, QString& failure);
    // "<readable path>: <errno text>".
    static QString failureText(const std::string& path, int error);

private:
    struct Level {
        std::vector<std::string> names;
        std::size_t next = 0;
        std::size_t pathLength = 0;  // of `path_` in the folder above
    };

    bool step(platform::Folder& folder, const std::string& name, bool chosen);
    bool fail(const std::string& name, int error);

    Visitor& visitor_;
    platform::CancelFlag cancel_;
    std::optional<FolderChain> chain_;
    std::vector<Level> levels_;
    std::string path_;  // of the folder at hand
    QString failure_;
};

}  // namespace jobs
