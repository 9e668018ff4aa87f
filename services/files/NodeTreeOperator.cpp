#include "services/files/NodeTreeOperator.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <iterator>
#include <mutex>
#include <vector>

using platform::FileKind;
using platform::FileSystem;
using platform::Folder;

namespace {

// Largest first; equal sizes by name, so that a walk always gives the same order.
bool largerThenByName(const std::unique_ptr<FileNode>& a, const std::unique_ptr<FileNode>& b) {
    if (a->size() != b->size()) {
        return a->size() > b->size();
    }
    return a->nativeName() < b->nativeName();
}

}  // namespace

void NodeTreeOperator::concurrentPerform(std::size_t count, const std::function<void(std::size_t)>& work) {
    struct Shared {
        std::function<void(std::size_t)> work;
        std::size_t count = 0;
        std::atomic<std::size_t> next{0};
        std::atomic<std::size_t> done{0};
        std::mutex mutex;
        std::condition_variable finished;

        // A helper that starts late finds nothing left and ends at once.
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
    auto folder = Folder::open(path);
    return folder ? total + walkFolder(*folder, root, true) : total;
}

quint64 NodeTreeOperator::getFileSizeIn(const Folder& parent, std::string_view name, FileNode* root,
                                        bool spread) {
    auto folder = parent.child(name);
    return folder ? walkFolder(*folder, root, spread) : 0;
}

// The first folder with more than one subfolder walks them side by side: they are separate trees, and the
// lstat calls of a whole volume keep every core busy. Below it each walk goes one folder after another.
void NodeTreeOperator::walkSubfolders(Folder& folder, const std::vector<std::string_view>& names, bool spread,
                                      const std::function<void(std::size_t, Folder&, bool)>& walk) {
    if (spread && names.size() > 1) {
        concurrentPerform(names.size(), [&](std::size_t i) {
            if (auto sub = folder.child(names[i])) {
                walk(i, *sub, false);
            }
        });
        return;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        folder.descend(names[i], [&](Folder& sub) { walk(i, sub, spread); });
        if (folder.descriptor() < 0) {
            return;  // lost its place: what is left of it cannot be read
        }
    }
}

quint64 NodeTreeOperator::walkFolder(Folder& folder, FileNode* node, bool spread) {
    const auto entries = folder.entries();
    if (!entries) {
        return 0;
    }
    FileNodeList& children = node->children();
    const std::size_t first = children.size();
    children.reserve(first + entries->size());
    std::vector<FileNode*> subfolders;
    std::vector<std::string_view> names;
    for (const Folder::Entry& entry : *entries) {
        if (isStopScan()) {
            break;
        }
        const bool isFolder = entry.kind == FileKind::Directory;
        children.push_back(std::make_unique<FileNode>(node, entry.name, isFolder));
        if (isFolder) {
            subfolders.push_back(children.back().get());
            names.push_back(entry.name);
        } else {
            children.back()->setSize(static_cast<quint64>(entry.size));
        }
    }
    walkSubfolders(folder, names, spread, [&](std::size_t i, Folder& sub, bool spreadBelow) {
        if (!isStopScan()) {
            subfolders[i]->setSize(walkFolder(sub, subfolders[i], spreadBelow));
        }
    });
    quint64 total = 0;
    for (std::size_t i = first; i < children.size(); ++i) {
        total += children[i]->size();
    }
    std::sort(children.begin(), children.end(), largerThenByName);
    return total;
}

quint64 NodeTreeOperator::bytesBelow(const QString& path) {
    if (FileSystem::info(path).kind != FileKind::Directory) {
        return getOneFileSizeWithPath(path);
    }
    auto folder = Folder::open(path);
    return folder ? sumFolder(*folder, true) : 0;
}

quint64 NodeTreeOperator::sumFolder(Folder& folder, bool spread) {
    const auto entries = folder.entries();
    if (!entries) {
        return 0;
    }
    quint64 total = 0;
    std::vector<std::string_view> names;
    for (const Folder::Entry& entry : *entries) {
        if (entry.kind == FileKind::Directory) {
            names.push_back(entry.name);
        } else {
            total += static_cast<quint64>(entry.size);
        }
    }
    std::vector<quint64> sizes(names.size());
    walkSubfolders(folder, names, spread, [&](std::size_t i, Folder& sub, bool spreadBelow) {
        sizes[i] = sumFolder(sub, spreadBelow);
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
