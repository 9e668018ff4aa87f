#include "services/NodeTreeOperator.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <iterator>

using platform::FileKind;
using platform::FileSystem;

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
    return total + walkFolder(path, root);
}

quint64 NodeTreeOperator::walkFolder(const QString& path, FileNode* folder) {
    const auto entries = FileSystem::list(path);
    if (!entries) {
        return 0;
    }
    quint64 total = 0;
    FileNodeList& children = folder->children();
    children.reserve(children.size() + entries->size());
    for (const platform::DirEntry& entry : *entries) {
        if (isStopScan()) {
            break;
        }
        const bool isFolder = entry.kind == FileKind::Directory;
        auto child = std::make_unique<FileNode>(pathInFolder(path, entry.name), entry.name, isFolder, folder);
        const quint64 bytes =
            isFolder ? walkFolder(child->path(), child.get()) : static_cast<quint64>(entry.size);
        child->setSize(bytes);
        total += bytes;
        children.push_back(std::move(child));
    }
    std::stable_sort(children.begin(), children.end(), FileNode::largerFirst);
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
