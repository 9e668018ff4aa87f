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

// The walks below keep their folders on a stack of their own, so the depth of a tree never matters. The first
// folder with more than one subfolder walks them side by side (`spread`): they are separate trees, and the
// lstat calls of a whole volume keep every core busy. Below it each walk goes one folder after another.
namespace {

struct ScanLevel {
    Folder folder;
    FileNode* node;
    bool spread;
    std::size_t first = 0;  // where this walk's children start in the node's list
    std::vector<FileNode*> subfolders{};
    std::size_t next = 0;
};

struct SumLevel {
    Folder folder;
    bool spread;
    quint64 total = 0;
    std::vector<std::string> subfolders{};
    std::size_t next = 0;
};

void list(ScanLevel& level, const NodeTreeOperator& walker) {
    const auto entries = level.folder.entries();
    if (!entries) {
        return;
    }
    FileNodeList& children = level.node->children();
    level.first = children.size();
    children.reserve(level.first + entries->size());
    for (const Folder::Entry& entry : *entries) {
        if (walker.isStopScan()) {
            break;
        }
        const bool isFolder = entry.kind == FileKind::Directory;
        children.push_back(std::make_unique<FileNode>(level.node, entry.name, isFolder));
        if (isFolder) {
            level.subfolders.push_back(children.back().get());
        } else {
            children.back()->setSize(static_cast<quint64>(entry.size));
        }
    }
}

}  // namespace

quint64 NodeTreeOperator::walkFolder(Folder& folder, FileNode* node, bool spread) {
    std::vector<ScanLevel> stack;
    stack.push_back({std::move(folder), node, spread});
    list(stack.back(), *this);
    for (;;) {
        ScanLevel& level = stack.back();
        if (level.next == 0 && level.spread && level.subfolders.size() > 1) {
            concurrentPerform(level.subfolders.size(), [&](std::size_t i) {
                FileNode* sub = level.subfolders[i];
                if (auto inner = level.folder.child(sub->nativeName()); inner && !isStopScan()) {
                    sub->setSize(walkFolder(*inner, sub, false));
                }
            });
            level.next = level.subfolders.size();
        }
        if (level.next == level.subfolders.size() || isStopScan()) {
            FileNodeList& children = level.node->children();
            quint64 total = 0;
            for (std::size_t i = level.first; i < children.size(); ++i) {
                total += children[i]->size();
            }
            std::sort(children.begin(), children.end(), largerThenByName);
            ScanLevel done = std::move(stack.back());
            stack.pop_back();
            if (stack.empty()) {
                folder = std::move(done.folder);
                return total;
            }
            done.node->setSize(total);
            if (!stack.back().folder.comeBackFrom(done.folder)) {
                stack.back().next =
                    stack.back().subfolders.size();  // lost its place: the rest cannot be read
            }
            continue;
        }
        FileNode* sub = level.subfolders[level.next++];
        if (auto inner = level.folder.enter(sub->nativeName())) {
            const bool spreadBelow = level.spread && level.subfolders.size() == 1;
            stack.push_back({std::move(*inner), sub, spreadBelow});
            list(stack.back(), *this);
        }
    }
}

quint64 NodeTreeOperator::bytesBelow(const QString& path) {
    if (FileSystem::info(path).kind != FileKind::Directory) {
        return getOneFileSizeWithPath(path);
    }
    auto folder = Folder::open(path);
    return folder ? sumFolder(*folder, true) : 0;
}

quint64 NodeTreeOperator::sumFolder(Folder& folder, bool spread) {
    const auto count = [](SumLevel& level) {
        for (const Folder::Entry& entry : level.folder.entries().value_or(std::vector<Folder::Entry>{})) {
            if (entry.kind == FileKind::Directory) {
                level.subfolders.push_back(entry.name);
            } else {
                level.total += static_cast<quint64>(entry.size);
            }
        }
    };
    std::vector<SumLevel> stack;
    stack.push_back({std::move(folder), spread});
    count(stack.back());
    for (;;) {
        SumLevel& level = stack.back();
        if (level.next == 0 && level.spread && level.subfolders.size() > 1) {
            std::vector<quint64> sizes(level.subfolders.size());
            concurrentPerform(level.subfolders.size(), [&](std::size_t i) {
                if (auto inner = level.folder.child(level.subfolders[i])) {
                    sizes[i] = sumFolder(*inner, false);
                }
            });
            for (const quint64 size : sizes) {
                level.total += size;
            }
            level.next = level.subfolders.size();
        }
        if (level.next == level.subfolders.size()) {
            SumLevel done = std::move(stack.back());
            stack.pop_back();
            if (stack.empty()) {
                folder = std::move(done.folder);
                return done.total;
            }
            stack.back().total += done.total;
            if (!stack.back().folder.comeBackFrom(done.folder)) {
                stack.back().next = stack.back().subfolders.size();
            }
            continue;
        }
        const std::string& name = level.subfolders[level.next++];
        if (auto inner = level.folder.enter(name)) {
            const bool spreadBelow = level.spread && level.subfolders.size() == 1;
            stack.push_back({std::move(*inner), spreadBelow});
            count(stack.back());
        }
    }
}

void NodeTreeOperator::rootArrSortWithRootArr(FileNodeList& list) {
    platform::mainSync([&] { std::stable_sort(list.begin(), list.end(), FileNode::largerFirst); });
}

void NodeTreeOperator::fileInsertFatherWithRootArr(FileNodeList& list, FileNodeList nodes) {
    orderForInsertion(nodes);
    mergeOrdered(list, std::move(nodes));
}

// Inserted one by one, a node goes ahead of the earlier ones of its size.
void NodeTreeOperator::orderForInsertion(FileNodeList& nodes) {
    std::reverse(nodes.begin(), nodes.end());
    std::stable_sort(nodes.begin(), nodes.end(), FileNode::largerFirst);
}

void NodeTreeOperator::mergeOrdered(FileNodeList& list, FileNodeList ordered) {
    platform::mainSync([&] {
        if (!std::is_sorted(list.begin(), list.end(), FileNode::largerFirst)) {
            for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
                auto& node = *it;
                const auto at = std::find_if(list.begin(), list.end(), [&](const auto& other) {
                    return other->size() <= node->size();
                });
                list.insert(at, std::move(node));
            }
            return;
        }
        // Into a list that is already largest first, a merge gives the order of one-by-one insertion without
        // moving the list once per node.
        if (list.empty()) {
            list = std::move(ordered);
            return;
        }
        FileNodeList merged;
        merged.reserve(list.size() + ordered.size());
        std::merge(std::make_move_iterator(ordered.begin()), std::make_move_iterator(ordered.end()),
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
