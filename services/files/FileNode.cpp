#include "services/files/FileNode.h"

#include "platform/Dispatch.h"
#include "services/utilities/SystemFolder.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <utility>

// What a node made from a path, or drawn by the file list, keeps.
struct Extra {
    std::optional<QString> path;  // the node's path, which does not follow from its father's
    QRectF checkBoxRect;
    qint32 isButtonState = 0;
};

struct FileNode::Rare {
    FileNodeList children;
    QExplicitlySharedDataPointer<ListedFolder> listedIn;
    std::unique_ptr<Extra> extra;

    Extra& more() {
        if (!extra) {
            extra = std::make_unique<Extra>();
        }
        return *extra;
    }
};

// A snapshot waiting to be taken: by its worker, or by the first change to the tree, whoever comes first.
struct FileNode::PendingSnapshot {
    std::vector<const FileNode*> roots;
    std::once_flag once;
    FileNodeList taken;
};

namespace {

struct PendingList {
    std::mutex mutex;
    std::vector<std::shared_ptr<void>> snapshots;
};

PendingList& pendingList() {
    static auto* list = new PendingList;  // never destroyed: a worker may still finish at exit
    return *list;
}

// Set while this thread takes a snapshot: its own new nodes must not wait for it.
thread_local bool t_takingSnapshot = false;

const FileNodeList& noChildren() {
    static const FileNodeList none;
    return none;
}

QString inFolder(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

}  // namespace

FileNode::FileNode(const QString& path, const QString& name, bool isDirectory, FileNode* father)
    : father_(father), isDirectory_(isDirectory) {
    const QByteArray utf8 = name.toUtf8();
    storeName({utf8.constData(), static_cast<size_t>(utf8.size())});
    if (father == nullptr || inFolder(father->path(), name) != path) {
        rare().more().path = path;
    }
}

FileNode::FileNode(FileNode* father, std::string_view nativeName, bool isDirectory)
    : father_(father), isDirectory_(isDirectory) {
    storeName(nativeName);
}

FileNode::FileNode(const QExplicitlySharedDataPointer<ListedFolder>& folder, std::string_view nativeName,
                   bool isDirectory)
    : isDirectory_(isDirectory) {
    storeName(nativeName);
    rare().listedIn = folder;
}

// The children go first, one level after another: a tree far deeper than the stack ends without recursion.
FileNode::~FileNode() {
    settleSnapshots();
    freeName();
    if (!rare_ || rare_->children.empty()) {
        return;
    }
    FileNodeList pending = std::move(rare_->children);
    while (!pending.empty()) {
        std::unique_ptr<FileNode> node = std::move(pending.back());
        pending.pop_back();
        if (node->rare_) {
            for (auto& child : node->rare_->children) {
                pending.push_back(std::move(child));
            }
            node->rare_->children.clear();
        }
    }
}

void FileNode::storeName(std::string_view name) {
    nameLength_ = static_cast<std::uint32_t>(name.size());
    if (nameLength_ <= kShortName) {
        std::memcpy(name_.inPlace, name.data(), name.size());
        return;
    }
    auto apart = std::make_unique<char[]>(name.size());
    std::memcpy(apart.get(), name.data(), name.size());
    name_.apart = apart.release();  // owned by the node until `freeName`
}

void FileNode::freeName() {
    if (nameLength_ > kShortName) {
        std::unique_ptr<char[]> owned(name_.apart);
    }
    nameLength_ = 0;
}

FileNode::Rare& FileNode::rare() {
    if (!rare_) {
        rare_ = std::make_unique<Rare>();
    }
    return *rare_;
}

const QString* FileNode::ownPath() const {
    return rare_ && rare_->extra && rare_->extra->path ? &*rare_->extra->path : nullptr;
}

const FileNode::ListedFolder* FileNode::listedIn() const {
    return rare_ ? rare_->listedIn.data() : nullptr;
}

QString FileNode::name() const {
    const std::string_view native = nativeName();
    return QString::fromUtf8(native.data(), static_cast<qsizetype>(native.size()));
}

void FileNode::setName(const QString& name) {
    settleSnapshots();
    freeName();
    const QByteArray utf8 = name.toUtf8();
    storeName({utf8.constData(), static_cast<size_t>(utf8.size())});
}

QString FileNode::path() const {
    QVarLengthArray<const FileNode*, 32> below;
    const FileNode* node = this;
    while (node->ownPath() == nullptr && node->listedIn() == nullptr && node->father_ != nullptr) {
        below.append(node);
        node = node->father_;
    }
    QString path;
    if (const QString* own = node->ownPath()) {
        path = *own;
    } else if (const ListedFolder* folder = node->listedIn()) {
        path = inFolder(folder->path, node->name());
    } else {
        path = node->name();
    }
    for (auto it = below.crbegin(); it != below.crend(); ++it) {
        if (!path.endsWith(u'/')) {
            path += u'/';
        }
        path += (*it)->name();
    }
    return path;
}

void FileNode::setPath(const QString& path) {
    settleSnapshots();
    rare().more().path = path;
}

void FileNode::setIsDirectory(bool isDirectory) {
    settleSnapshots();
    isDirectory_ = isDirectory;
}

bool FileNode::isSystemFile() const {
    return SystemFolder::isSystemFileWithFilePath(path());
}

FileNodeList& FileNode::children() {
    settleSnapshots();
    return rare().children;
}

const FileNodeList& FileNode::children() const {
    return rare_ ? rare_->children : noChildren();
}

void FileNode::setState(qint64 state) {
    settleSnapshots();
    state_.store(static_cast<std::int8_t>(state));
}

void FileNode::setFather(FileNode* father) {
    settleSnapshots();
    if (ownPath() == nullptr) {
        setPath(path());  // the path stays what it was
    }
    father_ = father;
}

void FileNode::setSize(quint64 size) {
    settleSnapshots();
    size_ = size;
}

qint32 FileNode::isButtonState() const {
    return rare_ && rare_->extra ? rare_->extra->isButtonState : 0;
}

void FileNode::setIsButtonState(qint32 value) {
    settleSnapshots();
    rare().more().isButtonState = value;
}

QRectF FileNode::checkBoxRect() const {
    return rare_ && rare_->extra ? rare_->extra->checkBoxRect : QRectF();
}

void FileNode::setCheckBoxRect(const QRectF& rect) {
    settleSnapshots();
    rare().more().checkBoxRect = rect;
}

QString FileNode::displayName() const {
    const QString full = path();
    qsizetype end = full.size();
    while (end > 1 && full.at(end - 1) == QLatin1Char('/')) {
        --end;
    }
    const QString trimmed = full.left(end);
    if (trimmed == QStringLiteral("/")) {
        return trimmed;
    }
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

void FileNode::decendingSort() {
    std::vector<FileNode*> pending{this};
    while (!pending.empty()) {
        FileNodeList& list = pending.back()->children();
        pending.pop_back();
        std::stable_sort(list.begin(), list.end(), largerFirst);
        for (const auto& child : list) {
            pending.push_back(child.get());
        }
    }
}

// The root `node` and, below each partly checked node, its children, copied one level after another.
std::unique_ptr<FileNode> FileNode::snapshotOf(const FileNode& node) {
    const auto copyOf = [](const FileNode& from, FileNode* father) {
        auto copy = std::make_unique<FileNode>(father, from.nativeName(), from.isDirectory_);
        if (from.rare_ && from.rare_->listedIn) {
            copy->rare().listedIn = from.rare_->listedIn;
        }
        if (const QString* own = from.ownPath()) {
            copy->rare().more().path = *own;
        } else if (father == nullptr && !copy->listedIn()) {
            copy->rare().more().path = from.path();
        }
        copy->state_.store(from.state_.load());
        copy->size_ = from.size_;
        return copy;
    };
    auto root = copyOf(node, nullptr);
    std::vector<std::pair<const FileNode*, FileNode*>> pending{{&node, root.get()}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        if (from->state() != kPartlyChecked || !from->rare_) {
            continue;
        }
        FileNodeList& children = to->rare().children;
        children.reserve(from->rare_->children.size());
        for (const auto& child : from->rare_->children) {
            children.push_back(copyOf(*child, to));
            pending.emplace_back(child.get(), children.back().get());
        }
    }
    return root;
}

FileNodeList FileNode::checkedSnapshot(const FileNodeList& roots) {
    FileNodeList copies;
    copies.reserve(roots.size());
    for (const auto& root : roots) {
        copies.push_back(snapshotOf(*root));
    }
    return copies;
}

void FileNode::take(PendingSnapshot& pending) {
    std::call_once(pending.once, [&] {
        t_takingSnapshot = true;
        pending.taken.reserve(pending.roots.size());
        for (const FileNode* root : pending.roots) {
            pending.taken.push_back(snapshotOf(*root));
        }
        t_takingSnapshot = false;
    });
}

void FileNode::takePendingSnapshots() {
    if (t_takingSnapshot) {
        return;
    }
    std::vector<std::shared_ptr<void>> pending;
    {
        const std::lock_guard lock(pendingList().mutex);
        pending = pendingList().snapshots;
    }
    for (const auto& snapshot : pending) {
        take(*static_cast<PendingSnapshot*>(snapshot.get()));
    }
}

void FileNode::checkedSnapshotInBackground(const FileNodeList& roots,
                                           std::function<void(FileNodeList)> done) {
    auto pending = std::make_shared<PendingSnapshot>();
    pending->roots.reserve(roots.size());
    for (const auto& root : roots) {
        pending->roots.push_back(root.get());
    }
    {
        const std::lock_guard lock(pendingList().mutex);
        pendingList().snapshots.push_back(pending);
        pendingSnapshots_.fetch_add(1, std::memory_order_release);
    }
    platform::globalAsync([pending, done = std::move(done)] {
        take(*pending);
        {
            const std::lock_guard lock(pendingList().mutex);
            std::erase(pendingList().snapshots, pending);
            pendingSnapshots_.fetch_sub(1, std::memory_order_release);
        }
        done(std::move(pending->taken));
    });
}
