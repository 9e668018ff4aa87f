#pragma once

#include <QExplicitlySharedDataPointer>
#include <QRectF>
#include <QSharedData>
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
// A scan makes millions of nodes, so a node keeps little: its name as stored on disk (within the node when it
// is short), and no path: a node's path follows from its father's, a scanned root's from the folder the scan
// listed, which its siblings share; only a node made from a path keeps that path. What few nodes use lives in
// a part made on demand. However deep a tree goes, nothing here recurses through it.
class FileNode {
public:
    static constexpr qint64 kUnchecked = 0;
    static constexpr qint64 kChecked = 1;
    static constexpr qint64 kPartlyChecked = 2;

    // The folder whose entries a scan made roots of.
    struct ListedFolder : QSharedData {
        explicit ListedFolder(QString folder) : path(std::move(folder)) {}
        static QExplicitlySharedDataPointer<ListedFolder> make(const QString& folder) {
            return QExplicitlySharedDataPointer<ListedFolder>(
                std::make_unique<ListedFolder>(folder).release());
        }
        const QString path;
    };

    FileNode(const QString& path, const QString& name, bool isDirectory, FileNode* father);
    // The entry `nativeName` of the folder of `father`: its path is the father's and the name.
    FileNode(FileNode* father, std::string_view nativeName, bool isDirectory);
    // The root for the entry `nativeName` of the folder a scan listed.
    FileNode(const QExplicitlySharedDataPointer<ListedFolder>& folder, std::string_view nativeName,
             bool isDirectory);
    FileNode(const FileNode&) = delete;
    FileNode& operator=(const FileNode&) = delete;
    ~FileNode();

    QString name() const;
    void setName(const QString& name);
    // The name as stored on disk.
    std::string_view nativeName() const {
        return {nameLength_ <= kShortName ? name_.inPlace : name_.apart, nameLength_};
    }
    QString path() const;
    // The folder a scan listed this root in, whose entry `nativeName` it is; none for other nodes.
    const ListedFolder* listedIn() const;
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
    static std::unique_ptr<FileNode> snapshotOf(const FileNode& node);
    Rare& rare();
    const QString* ownPath() const;
    void storeName(std::string_view name);
    void freeName();

    static constexpr std::uint32_t kShortName = 24;
    static inline std::atomic<int> pendingSnapshots_{0};

    FileNode* father_ = nullptr;
    std::unique_ptr<Rare> rare_;  // children, the folder a scan listed, and what few nodes use
    quint64 size_ = 0;
    union Name {
        char inPlace[kShortName];
        char* apart;  // a longer name, owned
    } name_{};
    std::uint32_t nameLength_ = 0;
    std::atomic<std::int8_t> state_{kChecked};
    bool isDirectory_ = false;
    bool isExpand_ = false;
};
