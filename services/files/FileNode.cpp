#include "services/files/FileNode.h"

#include "services/utilities/SystemFolder.h"

#include <algorithm>

FileNode::FileNode(const QString& path, const QString& name, bool isDirectory, FileNode* father)
    : name_(name), path_(path), isDirectory_(isDirectory), father_(father) {}

bool FileNode::isSystemFile() const {
    return SystemFolder::isSystemFileWithFilePath(path_);
}

QString FileNode::displayName() const {
    qsizetype end = path_.size();
    while (end > 1 && path_.at(end - 1) == QLatin1Char('/')) {
        --end;
    }
    const QString trimmed = path_.left(end);
    if (trimmed == QStringLiteral("/")) {
        return trimmed;
    }
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

void FileNode::decendingSort() {
    std::stable_sort(children_.begin(), children_.end(), largerFirst);
    for (const auto& child : children_) {
        child->decendingSort();
    }
}

FileNodeList FileNode::checkedSnapshot(const FileNodeList& roots) {
    FileNodeList copies;
    copies.reserve(roots.size());
    for (const auto& node : roots) {
        auto copy = std::make_unique<FileNode>(node->path_, node->name_, node->isDirectory_, nullptr);
        copy->setState(node->state());
        copy->size_ = node->size_;
        if (node->state() == 2) {
            copy->children_ = checkedSnapshot(node->children_);
            for (const auto& child : copy->children_) {
                child->father_ = copy.get();
            }
        }
        copies.push_back(std::move(copy));
    }
    return copies;
}
