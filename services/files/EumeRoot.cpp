#include "services/files/EumeRoot.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"

#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

using platform::FileKind;
using platform::FileSystem;
using platform::Folder;

namespace {

// How often a deep scan hands what it has walked to the main thread.
constexpr std::chrono::milliseconds kHandOverPeriod{100};

QString decoded(const std::string& name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

using ListedFolder = QExplicitlySharedDataPointer<FileNode::ListedFolder>;

// A link is one item, never a folder, even when it leads to one: what it leads to may lie on another disk.
std::unique_ptr<FileNode> sized(std::unique_ptr<FileNode> node, const Folder::Entry& entry) {
    if (!node->isDirectory()) {
        node->setSize(static_cast<quint64>(entry.size));
    }
    return node;
}

// A root for an entry of the folder a scan lists.
std::unique_ptr<FileNode> rootForEntry(const ListedFolder& folder, const Folder::Entry& entry) {
    return sized(std::make_unique<FileNode>(folder, entry.name, entry.kind == FileKind::Directory), entry);
}

void sortByName(std::vector<Folder::Entry>& entries) {
    std::sort(entries.begin(), entries.end(),
              [](const Folder::Entry& a, const Folder::Entry& b) { return a.name < b.name; });
}

}  // namespace

// What a background scan shares with its scanner. `owner` is cleared on the main thread when the scanner
// dies or starts another scan, so a hand-over, which runs there too, never reaches a dead scanner.
struct EumeRoot::Run {
    Run(EumeRoot* self, std::shared_ptr<NodeTreeOperator> op) : owner(self), treeOperator(std::move(op)) {}

    bool abandoned() const { return owner.load() == nullptr; }
    bool stopped() const { return abandoned() || treeOperator->isStopScan(); }
    void onMain(const std::function<void(EumeRoot&)>& step) const {
        platform::mainSync([&] {
            if (EumeRoot* self = owner.load()) {
                step(*self);
            }
        });
    }

    std::atomic<EumeRoot*> owner;
    const std::shared_ptr<NodeTreeOperator> treeOperator;
    std::atomic<int> allFileCount{0};
    std::atomic<int> eumeFileCount{0};
    std::atomic_bool ended{false};
};

struct EumeRoot::TopLevel {
    std::optional<Folder> folder;
    std::vector<Folder::Entry> entries;
    ListedFolder listed;
};

// The top-level folders of a deep scan, walked by helpers from the global queue; each finished one is noted
// for the next hand-over.
struct EumeRoot::FolderWalk {
    Folder folder;
    std::vector<std::string> names;
    FileNodeList nodes;
    std::vector<quint64> sizes;
    bool spread = false;
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::size_t> finished;
    std::size_t done = 0;

    explicit FolderWalk(Folder top) : folder(std::move(top)) {}

    void drain(const Run& run) {
        for (std::size_t i = next++; i < nodes.size(); i = next++) {
            if (!run.stopped()) {
                sizes[i] = run.treeOperator->getFileSizeIn(folder, names[i], nodes[i].get(), spread);
            }
            const std::lock_guard lock(mutex);
            finished.push_back(i);
            ++done;
            changed.notify_all();
        }
    }
};

EumeRoot::EumeRoot() = default;

EumeRoot::~EumeRoot() {
    abandonRun();
    if (treeOperator_) {
        treeOperator_->stopScan();
        treeOperator_->setOpDelegate(nullptr);
    }
}

bool EumeRoot::isSkipName(const QString& name) {
    static constexpr std::array<QLatin1String, 8> names = {
        QLatin1String(".DS_Store"), QLatin1String(".Trashes"),   QLatin1String(".Trash"),
        QLatin1String(".vol"),      QLatin1String(".fseventsd"), QLatin1String(".Spotlight-V100"),
        QLatin1String(".Volumes"),  QLatin1String(".Volume")};
    return std::find(names.begin(), names.end(), name) != names.end();
}

void EumeRoot::abandonRun() {
    if (run_) {
        run_->owner.store(nullptr);
    }
}

std::shared_ptr<EumeRoot::Run> EumeRoot::startRun() {
    abandonRun();
    run_ = std::make_shared<Run>(this, treeOperator_);
    return run_;
}

void EumeRoot::eumeAllRootFileNodeWithRootArr(SharedFileNodeList rootArr, const QString& rootPath) {
    rootNodeArr_ = std::move(rootArr);
    if (treeOperator_) {
        treeOperator_->stopScan();
    }
    treeOperator_ = std::make_shared<NodeTreeOperator>();
    treeOperator_->setOpDelegate(this);
    platform::globalAsync([run = startRun(), rootPath] { eumeRootListNode(run, rootPath); });
}

void EumeRoot::getRootNodeListWithPath(const QString& rootPath) {
    if (!rootNodeArr_) {
        return;
    }
    platform::globalAsync([run = startRun(), rootPath] { deepScan(run, rootPath); });
}

std::optional<EumeRoot::TopLevel> EumeRoot::topLevelEntries(const std::shared_ptr<Run>& run,
                                                            const QString& rootPath, bool skipSystemNames) {
    const FileKind kind = FileSystem::info(rootPath, true).kind;
    if (kind != FileKind::Directory) {
        std::unique_ptr<FileNode> file;
        if (kind != FileKind::Missing) {
            file = std::make_unique<FileNode>(rootPath, QString(), false, nullptr);
            file->setName(file->displayName());
            file->setSize(NodeTreeOperator::getOneFileSizeWithPath(rootPath));
        }
        run->onMain([&](EumeRoot& self) {
            if (file) {
                self.insertFileInRootArrWithFile(std::move(file));
            }
            self.endRun();
        });
        return std::nullopt;
    }
    TopLevel top{Folder::open(rootPath), {}, FileNode::ListedFolder::make(rootPath)};
    if (top.folder) {
        top.entries = top.folder->entries().value_or(std::vector<Folder::Entry>{});
    }
    if (skipSystemNames) {
        std::erase_if(top.entries,
                      [](const Folder::Entry& entry) { return isSkipName(decoded(entry.name)); });
    }
    sortByName(top.entries);
    run->allFileCount.store(static_cast<int>(top.entries.size()));
    return top;
}

void EumeRoot::eumeRootListNode(const std::shared_ptr<Run>& run, const QString& rootPath) {
    const auto top = topLevelEntries(run, rootPath, true);
    if (!top) {
        return;
    }
    FileNodeList files;
    FileNodeList folders;
    for (const Folder::Entry& entry : top->entries) {
        if (run->abandoned()) {
            return;
        }
        auto node = rootForEntry(top->listed, entry);
        (node->isDirectory() ? folders : files).push_back(std::move(node));
    }
    NodeTreeOperator::orderForInsertion(files);
    run->onMain([&](EumeRoot& self) {
        self.handOver(std::move(files), std::move(folders));
        self.endRun();
    });
}

void EumeRoot::deepScan(const std::shared_ptr<Run>& run, const QString& rootPath) {
    auto top = topLevelEntries(run, rootPath, false);
    if (!top) {
        return;
    }
    FileNodeList files;
    std::shared_ptr<FolderWalk> walk;
    if (top->folder) {
        walk = std::make_shared<FolderWalk>(std::move(*top->folder));
    }
    for (const Folder::Entry& entry : top->entries) {
        auto node = rootForEntry(top->listed, entry);
        if (node->isDirectory() && walk) {
            walk->names.push_back(entry.name);
            walk->nodes.push_back(std::move(node));
        } else {
            files.push_back(std::move(node));
        }
    }
    if (run->stopped()) {
        return;
    }
    NodeTreeOperator::orderForInsertion(files);
    run->onMain([&](EumeRoot& self) { self.handOver(std::move(files), {}); });
    if (walk && !walkTopLevelFolders(run, walk)) {
        return;
    }
    run->onMain([](EumeRoot& self) { self.endRun(); });
}

bool EumeRoot::walkTopLevelFolders(const std::shared_ptr<Run>& run, std::shared_ptr<FolderWalk> walk) {
    const std::size_t count = walk->nodes.size();
    const auto threads = static_cast<std::size_t>(std::max(1, QThread::idealThreadCount()));
    walk->sizes.resize(count);
    walk->spread = count < threads;  // few folders: each walks its own subfolders side by side
    for (std::size_t h = 0; h < std::min(count, threads); ++h) {
        platform::globalAsync([run, walk] { walk->drain(*run); });
    }
    for (bool all = count == 0; !all;) {
        std::vector<std::size_t> batch;
        {
            std::unique_lock lock(walk->mutex);
            walk->changed.wait_for(lock, kHandOverPeriod, [&] { return walk->done == count; });
            batch.swap(walk->finished);
            all = walk->done == count;
        }
        if (run->stopped()) {
            return false;
        }
        FileNodeList folders;
        for (const std::size_t i : batch) {
            walk->nodes[i]->setSize(walk->sizes[i]);
            folders.push_back(std::move(walk->nodes[i]));
        }
        NodeTreeOperator::orderForInsertion(folders);
        if (!folders.empty()) {
            run->onMain([&](EumeRoot& self) { self.handOver(std::move(folders), {}); });
        }
    }
    return true;
}

// `sized` go in by size (files, and the folders of a deep scan once walked), ordered by
// `orderForInsertion` where they were made; `unsized` (the folders of a shallow scan) follow in listing
// order.
void EumeRoot::handOver(FileNodeList sized, FileNodeList unsized) {
    const auto count = static_cast<int>(sized.size() + unsized.size());
    if (!sized.empty()) {
        treeOperator_->mergeOrdered(*rootNodeArr_, std::move(sized));
    }
    for (auto& folder : unsized) {
        rootNodeArr_->push_back(std::move(folder));
    }
    run_->eumeFileCount.fetch_add(count);
}

void EumeRoot::endRun() {
    run_->ended.store(true);
    if (eumeDelegate_ != nullptr) {
        eumeDelegate_->endScan();
    }
}

void EumeRoot::getNodeListWithFaterNode(FileNode* node) {
    const QString path = node->path();
    const FileKind kind = FileSystem::info(path).kind;
    if (kind == FileKind::Missing) {
        return;
    }
    FileNodeList found;
    if (kind == FileKind::Directory) {
        auto folder = Folder::open(path);
        auto entries =
            folder ? folder->entries().value_or(std::vector<Folder::Entry>{}) : std::vector<Folder::Entry>{};
        sortByName(entries);
        for (const Folder::Entry& entry : entries) {
            found.push_back(sized(
                std::make_unique<FileNode>(node, entry.name, entry.kind == FileKind::Directory), entry));
        }
    } else if (kind == FileKind::SymLink) {
        return;  // a link is one item: it lists nothing, and nothing of another disk comes in through it
    } else {
        found.push_back(std::make_unique<FileNode>(path, node->name(), false, node));
        found.back()->setSize(NodeTreeOperator::getOneFileSizeWithPath(path));
    }
    const qint64 state = node->state() == FileNode::kUnchecked ? FileNode::kUnchecked : FileNode::kChecked;
    FileNodeList& children = node->children();
    for (auto& child : found) {
        child->setState(state);
        children.push_back(std::move(child));
    }
    if (eumeDelegate_ != nullptr) {
        eumeDelegate_->endEumeNode();
    }
}

void EumeRoot::insertFileInRootArrWithFile(std::unique_ptr<FileNode> node) {
    if (!rootNodeArr_) {
        return;
    }
    FileNodeList one;
    one.push_back(std::move(node));
    treeOperator_->fileInsertFatherWithRootArr(*rootNodeArr_, std::move(one));
}

void EumeRoot::doRootArrSort() {
    if (rootNodeArr_ && treeOperator_) {
        treeOperator_->rootArrSortWithRootArr(*rootNodeArr_);
    }
}

float EumeRoot::getProgress() const {
    if (!run_) {
        return 0.0F;
    }
    if (run_->ended.load()) {
        return 100.0F;
    }
    const int all = run_->allFileCount.load();
    return all <= 0 ? 0.0F
                    : static_cast<float>(run_->eumeFileCount.load()) * 100.0F / static_cast<float>(all);
}

void EumeRoot::stopScan() {
    if (treeOperator_) {
        treeOperator_->stopScan();
    }
}

int EumeRoot::allFileCount() const {
    return run_ ? run_->allFileCount.load() : 0;
}

int EumeRoot::eumeFileCount() const {
    return run_ ? run_->eumeFileCount.load() : 0;
}
