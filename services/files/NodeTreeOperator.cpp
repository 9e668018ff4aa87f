#include "services/files/NodeTreeOperator.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <iterator>
#include <mutex>
#include <vector>

using platform::FileKind;
using platform::FileSystem;

namespace {

// Calls `work` once for each index below `count`, on this thread and on helpers from the global queue, and
// returns when every call has returned. A helper that starts late finds nothing left and ends at once.
void concurrentPerform(std::size_t count, const std::function<void(std::size_t)>& work) {
    struct Shared {
        std::function<void(std::size_t)> work;
        std::size_t count;
        std::atomic<std::size_t> next{0};
        std::atomic<std::size_t> done{0};
        std::mutex mutex;
        std::condition_variable finished;

        void drain() {
            for (std::size_t i = next++; i < count; i = next++) {
                work(i);
                if (++done == count) {
                    const std::lock_guard lock(mutex);
                    finished.notify_all();
                }
            }
        }
    };
    if (count == 0) {
        return;
    }
    auto shared = std::make_shared<Shared>();
    shared->work = work;
    shared->count = count;
    const auto helpers =
        std::min<std::size_t>(count, static_cast<std::size_t>(QThread::idealThreadCount())) - 1;
    for (std::size_t h = 0; h < helpers; ++h) {
        platform::globalAsync([shared] { shared->drain(); });
    }
    shared->drain();
    std::unique_lock lock(shared->mutex);
    shared->finished.wait(lock, [&] { return shared->done.load() == count; });
}

}  // namespace

quint64 NodeTreeOperator::getOneFileSizeWithPath(const QString& path) {
    const platform::FileInfo info = FileSystem::info(path);
    if (info.kind == FileKind::Missing || info.kind == FileKind::Directory) {
        return 0;
    }
    return static_cast<quint64>(info.size);
}

QString NodeTreeOperator::pathInFolder(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

quint64 NodeTreeOperator::getFileSizeWithPat(const QString& path, FileNode* root, quint64 total) {
    if (FileSystem::info(path).kind != FileKind::Directory) {
        return total + getOneFileSizeWithPath(path);
    }
    return total + walkFolder(path, root, true);
}

// Walks the subfolders of a folder. The first folder with more than one walks them side by side: they are
// separate trees, and the lstat calls of a whole volume keep every core busy.
void NodeTreeOperator::walkSubfolders(std::size_t count, bool spread,
                                      const std::function<void(std::size_t, bool)>& walk) {
    if (spread && count > 1) {
        concurrentPerform(count, [&](std::size_t i) { walk(i, false); });
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        walk(i, spread);
    }
}

quint64 NodeTreeOperator::walkFolder(const QString& path, FileNode* folder, bool spread) {
    const auto entries = FileSystem::list(path);
    if (!entries) {
        return 0;
    }
    FileNodeList& children = folder->children();
    const std::size_t first = children.size();
    children.reserve(first + entries->size());
    std::vector<FileNode*> subfolders;
    for (const platform::DirEntry& entry : *entries) {
        if (isStopScan()) {
            break;
        }
        const bool isFolder = entry.kind == FileKind::Directory;
        children.push_back(
            std::make_unique<FileNode>(pathInFolder(path, entry.name), entry.name, isFolder, folder));
        if (isFolder) {
            subfolders.push_back(children.back().get());
        } else {
            children.back()->setSize(static_cast<quint64>(entry.size));
        }
    }
    walkSubfolders(subfolders.size(), spread, [&](std::size_t i, bool spreadBelow) {
        subfolders[i]->setSize(walkFolder(subfolders[i]->path(), subfolders[i], spreadBelow));
    });
    quint64 total = 0;
    for (std::size_t i = first; i < children.size(); ++i) {
        total += children[i]->size();
    }
    std::stable_sort(children.begin(), children.end(), FileNode::largerFirst);
    return total;
}

quint64 NodeTreeOperator::bytesBelow(const QString& path) {
    if (FileSystem::info(path).kind != FileKind::Directory) {
        return getOneFileSizeWithPath(path);
    }
    return sumFolder(path, true);
}

quint64 NodeTreeOperator::sumFolder(const QString& path, bool spread) {
    quint64 total = 0;
    std::vector<QString> subfolders;
    for (const platform::DirEntry& entry :
         FileSystem::list(path).value_or(std::vector<platform::DirEntry>{})) {
        if (entry.kind == FileKind::Directory) {
            subfolders.push_back(pathInFolder(path, entry.name));
        } else {
            total += static_cast<quint64>(entry.size);
        }
    }
    std::vector<quint64> sizes(subfolders.size());
    walkSubfolders(subfolders.size(), spread, [&](std::size_t i, bool spreadBelow) {
        sizes[i] = sumFolder(subfolders[i], spreadBelow);
    });
    for (const quint64 size : sizes) {
        total += size;
    }
    return total;
}

void NodeTreeOperator::rootArrSortWithRootArr(FileNodeList& list) {
    platform::mainSync([&] { std::stable_sort(list.begin(), list.end(), FileNode::largerFirst); });
}

void NodeTreeOperator::fileInsertFatherWithRootArr(FileNodeList& list, FileNodeList nodes) {
    platform::mainSync([&] {
        if (!std::is_sorted(list.begin(), list.end(), FileNode::largerFirst)) {
            for (auto& node : nodes) {
                const auto at = std::find_if(list.begin(), list.end(), [&](const auto& other) {
                    return other->size() <= node->size();
                });
                list.insert(at, std::move(node));
            }
            return;
        }
        // Inserted one by one, a node goes ahead of the earlier ones of its size; into a list that is already
        // largest first, a merge gives the same order without moving the list once per node.
        std::reverse(nodes.begin(), nodes.end());
        std::stable_sort(nodes.begin(), nodes.end(), FileNode::largerFirst);
        FileNodeList merged;
        merged.reserve(list.size() + nodes.size());
        std::merge(std::make_move_iterator(nodes.begin()), std::make_move_iterator(nodes.end()),
                   std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()),
                   std::back_inserter(merged), FileNode::largerFirst);
        list = std::move(merged);
    });
}

void NodeTreeOperator::sortFatherSizeWithRootFileNode(FileNode* node, quint64 size) {
    platform::mainSync([&] {
        node->setSize(size);
        if (FileNode* father = node->father()) {
            std::stable_sort(father->children().begin(), father->children().end(), FileNode::largerFirst);
        } else if (opDelegate_ != nullptr) {
            opDelegate_->doRootArrSort();
        }
    });
}
