#pragma once

#include <QRectF>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <compare>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
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
//
// A scan makes millions of nodes, so a node keeps little: its name as stored on disk, and its path only when
// it does not follow from its father's (a root's); what few nodes use lives in a part made on demand.
class FileNode {
public:
    static constexpr qint64 kUnchecked = 0;
    static constexpr qint64 kChecked = 1;
    static constexpr qint64 kPartlyChecked = 2;

    FileNode(const QString& path, const QString& name, bool isDirectory, FileNode* father);
    // The entry `nativeName` of the folder of `father`: its path is the father's and the name.
    FileNode(FileNode* father, std::string_view nativeName, bool isDirectory);
    FileNode(const FileNode&) = delete;
    FileNode& operator=(const FileNode&) = delete;
    ~FileNode();

    QString name() const;
    void setName(const QString& name);
    // The name as stored on disk.
    std::string_view nativeName() const { return {name_.get(), nameLength_}; }
    QString path() const;
    void setPath(const QString& path);
    bool isDirectory() const { return isDirectory_; }
    void setIsDirectory(bool isDirectory);
    // Asked of the system-file table at every read.
    bool isSystemFile() const;
    FileNodeList& children();
    const FileNodeList& children() const;
    qint64 state() const { return state_.load(); }
    void setState(qint64 state);
    FileNode* father() const { return father_; }
    void setFather(FileNode* father);
    quint64 size() const { return size_; }
    void setSize(quint64 size);
    qint32 isButtonState() const;
    void setIsButtonState(qint32 value);
    // The last path component; "/" for the root folder.
    QString displayName() const;
    QRectF checkBoxRect() const;
    void setCheckBoxRect(const QRectF& rect);
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
    // The same snapshot taken on the global queue and handed to `done` there, so that a large selection never
    // holds the caller. Call it where the tree is changed (the main thread). Until the snapshot is taken, any
    // change to a node (a setter, `children()`, a node's end) first waits for it or takes it itself: the
    // snapshot shows the tree as it was at this call.
    static void checkedSnapshotInBackground(const FileNodeList& roots,
                                            std::function<void(FileNodeList)> done);

private:
    struct Rare;
    struct PendingSnapshot;

    // Lets a snapshot that is still being taken finish before the tree changes.
    static void settleSnapshots() {
        if (pendingSnapshots_.load(std::memory_order_acquire) != 0) {
            takePendingSnapshots();
        }
    }
    static void takePendingSnapshots();
    static void take(PendingSnapshot& pending);
    static std::unique_ptr<FileNode> snapshotOf(const FileNode& node, FileNode* father);
    Rare& rare();
    bool hasOwnPath() const;

    static inline std::atomic<int> pendingSnapshots_{0};

    std::unique_ptr<char[]> name_;
    FileNode* father_ = nullptr;
    std::unique_ptr<Rare> rare_;  // children, an own path, the check box's place
    quint64 size_ = 0;
    std::uint32_t nameLength_ = 0;
    std::atomic<std::int8_t> state_{kChecked};
    bool isDirectory_ = false;
    bool isExpand_ = false;
};
