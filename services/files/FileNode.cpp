#include "services/files/FileNode.h"

#include "platform/Dispatch.h"
#include "services/utilities/SystemFolder.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <mutex>

struct FileNode::Rare {
    FileNodeList children;
    QString path;
    bool ownPath = false;  // `path` holds the node's path, which does not follow from its father's
    QRectF checkBoxRect;
    qint32 isButtonState = 0;
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

std::unique_ptr<char[]> storedName(std::string_view name, std::uint32_t& length) {
    length = static_cast<std::uint32_t>(name.size());
    auto stored = std::make_unique<char[]>(name.size() + 1);
    std::memcpy(stored.get(), name.data(), name.size());
    return stored;
}

QString inFolder(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

}  // namespace

FileNode::FileNode(const QString& path, const QString& name, bool isDirectory, FileNode* father)
    : father_(father), isDirectory_(isDirectory) {
    const QByteArray utf8 = name.toUtf8();
    name_ = storedName({utf8.constData(), static_cast<size_t>(utf8.size())}, nameLength_);
    if (father == nullptr || inFolder(father->path(), name) != path) {
        rare().path = path;
        rare().ownPath = true;
    }
}

FileNode::FileNode(FileNode* father, std::string_view nativeName, bool isDirectory)
    : father_(father), isDirectory_(isDirectory) {
    name_ = storedName(nativeName, nameLength_);
}

FileNode::~FileNode() {
    settleSnapshots();
}

FileNode::Rare& FileNode::rare() {
    if (!rare_) {
        rare_ = std::make_unique<Rare>();
    }
    return *rare_;
}

bool FileNode::hasOwnPath() const {
    return rare_ && rare_->ownPath;
}

QString FileNode::name() const {
    return QString::fromUtf8(name_.get(), nameLength_);
}

void FileNode::setName(const QString& name) {
    settleSnapshots();
    const QByteArray utf8 = name.toUtf8();
    name_ = storedName({utf8.constData(), static_cast<size_t>(utf8.size())}, nameLength_);
}

QString FileNode::path() const {
    QVarLengthArray<const FileNode*, 32> below;
    const FileNode* node = this;
    while (!node->hasOwnPath() && node->father_ != nullptr) {
        below.append(node);
        node = node->father_;
    }
    QString path = node->hasOwnPath() ? node->rare_->path : node->name();
    for (auto it = below.crbegin(); it != below.crend(); ++it) {
        if (!path.endsWith(u'/')) {
            path += u'/';
        }
        path += QString::fromUtf8((*it)->name_.get(), (*it)->nameLength_);
    }
    return path;
}

void FileNode::setPath(const QString& path) {
    settleSnapshots();
    rare().path = path;
    rare().ownPath = true;
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
    if (!hasOwnPath()) {
        setPath(path());  // the path stays what it was
    }
    father_ = father;
}

void FileNode::setSize(quint64 size) {
    settleSnapshots();
    size_ = size;
}

qint32 FileNode::isButtonState() const {
    return rare_ ? rare_->isButtonState : 0;
}

void FileNode::setIsButtonState(qint32 value) {
    settleSnapshots();
    rare().isButtonState = value;
}

QRectF FileNode::checkBoxRect() const {
    return rare_ ? rare_->checkBoxRect : QRectF();
}

void FileNode::setCheckBoxRect(const QRectF& rect) {
    settleSnapshots();
    rare().checkBoxRect = rect;
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
    FileNodeList& list = children();
    std::stable_sort(list.begin(), list.end(), largerFirst);
    for (const auto& child : list) {
        child->decendingSort();
    }
}

std::unique_ptr<FileNode> FileNode::snapshotOf(const FileNode& node, FileNode* father) {
    auto copy = std::make_unique<FileNode>(father, node.nativeName(), node.isDirectory_);
    if (father == nullptr || node.hasOwnPath()) {
        copy->rare().path = father == nullptr ? node.path() : node.rare_->path;
        copy->rare().ownPath = true;
    }
    copy->state_.store(node.state_.load());
    copy->size_ = node.size_;
    if (node.state() == kPartlyChecked && node.rare_) {
        FileNodeList& children = copy->rare().children;
        children.reserve(node.rare_->children.size());
        for (const auto& child : node.rare_->children) {
            children.push_back(snapshotOf(*child, copy.get()));
        }
    }
    return copy;
}

FileNodeList FileNode::checkedSnapshot(const FileNodeList& roots) {
    FileNodeList copies;
    copies.reserve(roots.size());
    for (const auto& root : roots) {
        copies.push_back(snapshotOf(*root, nullptr));
    }
    return copies;
}

void FileNode::take(PendingSnapshot& pending) {
    std::call_once(pending.once, [&] {
        t_takingSnapshot = true;
        pending.taken.reserve(pending.roots.size());
        for (const FileNode* root : pending.roots) {
            pending.taken.push_back(snapshotOf(*root, nullptr));
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
