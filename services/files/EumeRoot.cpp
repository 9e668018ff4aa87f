#include "services/files/EumeRoot.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

using platform::DirEntry;
using platform::FileKind;
using platform::FileSystem;

namespace {

// Asks for the folder behind a link, as the Finder does when it shows a link to a folder.
bool isFolderEntry(const QString& path, const DirEntry& entry) {
    return entry.kind == FileKind::Directory ||
           (entry.kind == FileKind::SymLink && FileSystem::isDirectory(path));
}

std::unique_ptr<FileNode> nodeForEntry(const QString& folder, const DirEntry& entry, FileNode* father) {
    const QString path = NodeTreeOperator::pathInFolder(folder, entry.name);
    const bool isFolder = isFolderEntry(path, entry);
    auto node = std::make_unique<FileNode>(path, entry.name, isFolder, father);
    if (!isFolder) {
        node->setSize(static_cast<quint64>(entry.size));
    }
    return node;
}

}  // namespace

// What a background scan shares with its scanner. `owner` is cleared on the main thread when the scanner
// dies or starts another scan, so a hand-over, which runs there too, never reaches a dead scanner.
struct EumeRoot::Run {
    Run(EumeRoot* self, std::shared_ptr<NodeTreeOperator> op) : owner(self), treeOperator(std::move(op)) {}

    bool abandoned() const { return owner.load() == nullptr; }
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

std::optional<std::vector<DirEntry>> EumeRoot::topLevelEntries(const std::shared_ptr<Run>& run,
                                                               const QString& rootPath,
                                                               bool skipSystemNames) {
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
    std::vector<DirEntry> entries = FileSystem::list(rootPath).value_or(std::vector<DirEntry>{});
    if (skipSystemNames) {
        std::erase_if(entries, [](const DirEntry& entry) { return isSkipName(entry.name); });
    }
    run->allFileCount.store(static_cast<int>(entries.size()));
    return entries;
}

void EumeRoot::eumeRootListNode(const std::shared_ptr<Run>& run, const QString& rootPath) {
    const auto entries = topLevelEntries(run, rootPath, true);
    if (!entries) {
        return;
    }
    FileNodeList files;
    FileNodeList folders;
    for (const DirEntry& entry : *entries) {
        if (run->abandoned()) {
            return;
        }
        auto node = nodeForEntry(rootPath, entry, nullptr);
        (node->isDirectory() ? folders : files).push_back(std::move(node));
    }
    run->onMain([&](EumeRoot& self) {
        self.handOver(std::move(files), std::move(folders));
        self.endRun();
    });
}

void EumeRoot::deepScan(const std::shared_ptr<Run>& run, const QString& rootPath) {
    const auto entries = topLevelEntries(run, rootPath, false);
    if (!entries) {
        return;
    }
    // Files wait for the next folder, so that a root of many files costs few trips to the main thread.
    FileNodeList files;
    for (const DirEntry& entry : *entries) {
        if (run->treeOperator->isStopScan() || run->abandoned()) {
            return;
        }
        auto node = nodeForEntry(rootPath, entry, nullptr);
        if (!node->isDirectory()) {
            files.push_back(std::move(node));
            continue;
        }
        const quint64 total = run->treeOperator->getFileSizeWithPat(node->path(), node.get(), 0);
        run->onMain([&](EumeRoot& self) {
            FileNode* folder = node.get();
            FileNodeList folders;
            folders.push_back(std::move(node));
            self.handOver(std::move(files), std::move(folders));
            self.treeOperator_->sortFatherSizeWithRootFileNode(folder, total);
        });
        files.clear();
    }
    run->onMain([&](EumeRoot& self) {
        self.handOver(std::move(files), {});
        self.endRun();
    });
}

void EumeRoot::handOver(FileNodeList files, FileNodeList folders) {
    const auto count = static_cast<int>(files.size() + folders.size());
    if (!files.empty()) {
        treeOperator_->fileInsertFatherWithRootArr(*rootNodeArr_, std::move(files));
    }
    for (auto& folder : folders) {
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
    const FileKind kind = FileSystem::info(node->path(), true).kind;
    if (kind == FileKind::Missing) {
        return;
    }
    FileNodeList found;
    if (kind == FileKind::Directory) {
        for (const DirEntry& entry : FileSystem::list(node->path()).value_or(std::vector<DirEntry>{})) {
            found.push_back(nodeForEntry(node->path(), entry, node));
        }
    } else {
        found.push_back(std::make_unique<FileNode>(node->path(), node->name(), false, node));
        found.back()->setSize(NodeTreeOperator::getOneFileSizeWithPath(node->path()));
    }
    for (auto& child : found) {
        child->setState(node->state() == 0 ? 0 : 1);
        node->children().push_back(std::move(child));
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
