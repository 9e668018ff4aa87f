#pragma once

#include <QRectF>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <compare>
#include <memory>
#include <vector>

class FileNode;

// A node owns its children; a list of roots is shared like the caller's array: the screen keeps it and a
// scan fills it.
using FileNodeList = std::vector<std::unique_ptr<FileNode>>;
using SharedFileNodeList = std::shared_ptr<FileNodeList>;

// One file or folder of the selectable file tree. State: 0 unchecked, 1 checked (the whole item, whatever
// its children say), 2 partly checked. The tree is changed on the main thread only; workers take a
// snapshot of the checked part when they start. The file list draws the icon itself from the path, so this
// class stays free of GUI types.
class FileNode {
public:
    FileNode(const QString& path, const QString& name, bool isDirectory, FileNode* father);
    FileNode(const FileNode&) = delete;
    FileNode& operator=(const FileNode&) = delete;

    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    const QString& path() const { return path_; }
    void setPath(const QString& path) { path_ = path; }
    bool isDirectory() const { return isDirectory_; }
    void setIsDirectory(bool isDirectory) { isDirectory_ = isDirectory; }
    // Asked of the system-file table at every read.
    bool isSystemFile() const;
    FileNodeList& children() { return children_; }
    const FileNodeList& children() const { return children_; }
    qint64 state() const { return state_.load(); }
    void setState(qint64 state) { state_.store(state); }
    FileNode* father() const { return father_; }
    void setFather(FileNode* father) { father_ = father; }
    quint64 size() const { return size_; }
    void setSize(quint64 size) { size_ = size; }
    qint32 isButtonState() const { return isButtonState_; }
    void setIsButtonState(qint32 value) { isButtonState_ = value; }
    // The last path component; "/" for the root folder.
    QString displayName() const;
    QRectF checkBoxRect() const { return checkBoxRect_; }
    void setCheckBoxRect(const QRectF& rect) { checkBoxRect_ = rect; }
    bool isExpand() const { return isExpand_; }
    void setIsExpand(bool expanded) { isExpand_ = expanded; }

    // `less` means this node sorts first: the larger size comes first.
    std::strong_ordering compareSize(const FileNode& other) const { return other.size_ <=> size_; }
    // Largest first at every level below this node.
    void decendingSort();
    // The order of every size-ordered list: larger first.
    static bool largerFirst(const std::unique_ptr<FileNode>& a, const std::unique_ptr<FileNode>& b) {
        return a->compareSize(*b) < 0;
    }

    // A copy of what a worker needs of `roots`: every root with its state, and below each partly checked
    // node its children, down to the checked and unchecked nodes, which are copied without children.
    static FileNodeList checkedSnapshot(const FileNodeList& roots);

private:
    QString name_;
    QString path_;
    bool isDirectory_;
    FileNodeList children_;
    std::atomic<qint64> state_{1};
    FileNode* father_;
    quint64 size_ = 0;
    qint32 isButtonState_ = 0;
    QRectF checkBoxRect_;
    bool isExpand_ = false;
};
