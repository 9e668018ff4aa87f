#pragma once

#include "platform/CopyWatch.h"
#include "platform/Descriptor.h"
#include "platform/FileSystem.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace platform {

// A descriptor for a Mac path (O_* flags as for open). Links are resolved inside the Mac: within a simulated
// Mac an absolute link target is a path of that Mac, and nothing leads outside it. Invalid, with errno set,
// when the path cannot be opened.
Descriptor openInMac(const QString& macPath, int flags, unsigned mode = 0);

FileKind fileKindOf(unsigned mode);

// An open folder of the Mac. A walk goes from folder to folder by descriptor and keeps its folders on a stack
// of its own, each knowing only its own name, so the depth of a tree never matters. A folder opened to stay
// on its volume neither lists nor enters a folder where another volume is mounted: one on another device,
// "/Volumes" and "/System/Volumes" of the startup volume, a mount point that the simulated Mac's inventory
// names, and the simulated Mac's own ".sim". An entry that vanished between the listing and its look-up is
// left out of `entries`. Use one object from one thread at a time, except `child`, which any number of
// threads may call at once.
class Folder {
public:
    struct Entry {
        std::string name;                 // as stored on disk
        FileKind kind = FileKind::Other;  // of the entry itself: links are not followed
        qint64 size = 0;                  // apparent size in bytes
    };
    // Tells one folder from another however it is reached.
    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Identity&) const = default;
    };

    // Links in the path are followed.
    static std::optional<Folder> open(const QString& macPath, bool stayOnVolume = true);
    // The folder holding the path's last component, whose name goes to `name` ("." for "/").
    static std::optional<Folder> openParent(const QString& macPath, std::string& name,
                                            bool stayOnVolume = true);

    Folder(Folder&&) noexcept;
    Folder& operator=(Folder&&) noexcept;
    ~Folder();

    // The folder `name` of this one, never through a link; nothing for another volume's mount point.
    std::optional<Folder> child(std::string_view name) const;
    // The same wherever a volume is mounted: a folder that was chosen by name.
    std::optional<Folder> chosenChild(std::string_view name) const { return openChild(name, false); }
    // The entries in the folder's own order, without "." and ".." and without other volumes' mount points.
    std::optional<std::vector<Entry>> entries() const;
    // The folder `name` of this one, as `child`, for a walk that goes on inside it: deep in a walk this
    // folder closes its descriptor meanwhile, until `comeBackFrom` that child finds it again through the
    // child's
    // "..", so that a walk holds few descriptors at any depth.
    std::optional<Folder> enter(std::string_view name);
    // False when this folder is lost (the tree was moved meanwhile) and cannot be used again.
    bool comeBackFrom(const Folder& child);

    // A new folder `name` in this one, private (0700) until it takes its source's attributes; with `reuse`, a
    // real folder standing there already (never one reached through a link).
    std::optional<Folder> makeChild(std::string_view name, bool reuse);
    // The mode, times and extended attributes of `source`, as they were when it was opened.
    bool takeAttributesOf(const Folder& source);
    // Copies the entry `name` into `destination` as `newName`, keeping modes, times, extended attributes and
    // holes; links are copied as links (with their own times), pipes and devices made anew. Inside a folder
    // the copy has just made, files are written under their final names; elsewhere under a temporary one,
    // renamed when complete. The folder `skip` (where a run copies to) is left out wherever a copied folder
    // holds it; copying `skip` itself fails. An entry inside that cannot be read fails the copy; one that
    // vanished meanwhile is left out. Each failure is logged, told to `watch` and removed again, except the
    // folders around it. True when everything was copied and `watch` never stopped it.
    bool copyEntry(std::string_view name, Folder& destination, std::string_view newName, Identity skip,
                   CopyWatch* watch = nullptr);
    // Removes the entry: a folder with everything in it, a link and not its target. True when nothing is
    // left.
    bool removeEntry(std::string_view name);
    // Writes what the volume of this folder holds in memory to its disk.
    bool flush() const;
    // Something stands at `name` (links not followed).
    bool has(std::string_view name) const;

    Identity identity() const;
    bool made() const { return made_; }
    int descriptor() const { return fd_.get(); }
    // The Mac path by which the folder was reached, for messages.
    QString macPath() const;
    // The Mac path of the entry `name`.
    QString macPathOf(std::string_view name) const;

    struct Fence;
    struct PathPart;

private:
    Folder(Descriptor fd, const struct stat& st, int depth, std::shared_ptr<const Fence> fence,
           std::shared_ptr<const PathPart> path);
    std::optional<Folder> openChild(std::string_view name, bool checkFence) const;
    // The names in the folder's own order, without "." and "..".
    std::optional<std::vector<std::string>> names() const;
    // Copies what `source` holds into `copy`, a folder this copy has just made, and gives `copy` the mode and
    // times of `source`.
    static bool copyTree(Folder source, Folder copy, Identity skip, CopyWatch& watch);

    Descriptor fd_;
    struct stat stat_ {};
    int depth_ = 0;
    std::shared_ptr<const Fence> fence_;  // none: the walk may cross into other volumes
    std::shared_ptr<const PathPart> path_;
    bool made_ = false;
};

}  // namespace platform
