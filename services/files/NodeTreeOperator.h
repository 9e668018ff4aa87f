#pragma once

#include "services/files/FileNode.h"
#include "services/files/NodeTreeOperatorDelegate.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace platform {
class Folder;
}

// Builds a folder's subtree of nodes and sums its sizes. Every entry's kind and size come with the listing of
// its folder (one lstat each), as `du` counts them, and separate subtrees are walked side by side. Sizes are
// the items' own data sizes: links are counted, never followed, and a folder counts only through what lies
// below it. A walk stays on the volume where it starts and goes from folder to folder by descriptor, so a
// tree deeper than any path can be long is counted whole.
//
// The walk runs on a background thread on nodes that no other thread sees yet; the list operations run on
// the main thread, where the tree lives.
class NodeTreeOperator {
public:
    // The item's own data size; 0 for a folder or a missing item.
    static quint64 getOneFileSizeWithPath(const QString& path);
    // `total` plus the bytes of every file below `path`. Fills `root`'s children (largest first at every
    // level, each folder with its size) and stops between entries once `stopScan` is called. An item that is
    // not a folder (a file, a link) counts with its own size.
    quint64 getFileSizeWithPat(const QString& path, FileNode* root, quint64 total);
    // The same for the folder `name` of `parent`; `spread` walks its subfolders side by side.
    quint64 getFileSizeIn(const platform::Folder& parent, std::string_view name, FileNode* root, bool spread);

    // Largest first, in place.
    void rootArrSortWithRootArr(FileNodeList& list);
    // Inserts each node, in order, before the first node of `list` that is not larger than it.
    void fileInsertFatherWithRootArr(FileNodeList& list, FileNodeList nodes);
    // The nodes in the order that inserting them one by one gives them; done where they are made, so that
    // only `mergeOrdered` is left for the main thread.
    static void orderForInsertion(FileNodeList& nodes);
    // `fileInsertFatherWithRootArr` for nodes that `orderForInsertion` has ordered.
    void mergeOrdered(FileNodeList& list, FileNodeList ordered);
    // Sets the node's size and re-sorts its siblings: its father's children, or the root list through the
    // delegate.
    void sortFatherSizeWithRootFileNode(FileNode* node, quint64 size);

    void stopScan() { isStopScan_.store(true); }
    bool isStopScan() const { return isStopScan_.load(std::memory_order_relaxed); }
    NodeTreeOperatorDelegate* opDelegate() const { return opDelegate_; }
    void setOpDelegate(NodeTreeOperatorDelegate* delegate) { opDelegate_ = delegate; }

    // The bytes of every file below `path` by the same walk, building no nodes; an item that is not a folder
    // counts with its own size.
    static quint64 bytesBelow(const QString& path);
    // The path of the entry `name` of `folder`, with a single slash below "/".
    static QString pathInFolder(const QString& folder, const QString& name);

private:
    // Calls `work` once for each index below `count`, on this thread and on helpers from the global queue,
    // and returns when every call has returned.
    static void concurrentPerform(std::size_t count, const std::function<void(std::size_t)>& work);
    quint64 walkFolder(platform::Folder& folder, FileNode* node, bool spread);
    static quint64 sumFolder(platform::Folder& folder, bool spread);

    std::atomic_bool isStopScan_{false};
    NodeTreeOperatorDelegate* opDelegate_ = nullptr;
};
