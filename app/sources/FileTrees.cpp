#include "app/sources/FileTrees.h"

#include <algorithm>

namespace sources {
namespace {

FileNodeList copyChildren(const FileNodeList& nodes, FileNode* father) {
    FileNodeList copies;
    copies.reserve(nodes.size());
    for (const auto& node : nodes) {
        auto copy = std::make_unique<FileNode>(node->path(), node->name(), node->isDirectory(), father);
        copy->setState(node->state());
        copy->setSize(node->size());
        copy->setIsExpand(node->isExpand());
        copy->setIsButtonState(node->isButtonState());
        copy->setCheckBoxRect(node->checkBoxRect());
        copy->children() = copyChildren(node->children(), copy.get());
        copies.push_back(std::move(copy));
    }
    return copies;
}

bool rootOrder(const std::unique_ptr<FileNode>& a, const std::unique_ptr<FileNode>& b) {
    if (a->isDirectory() != b->isDirectory()) {
        return !a->isDirectory();
    }
    if (!a->isDirectory() && a->size() != b->size()) {
        return a->size() > b->size();
    }
    return a->name() < b->name();
}

}  // namespace

FileNodeList copyTree(const FileNodeList& roots) {
    return copyChildren(roots, nullptr);
}

void sortRoots(FileNodeList& roots) {
    if (!std::is_sorted(roots.begin(), roots.end(), rootOrder)) {
        std::stable_sort(roots.begin(), roots.end(), rootOrder);
    }
}

}  // namespace sources
