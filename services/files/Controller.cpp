#include "services/files/Controller.h"

#include "platform/Dispatch.h"
#include "platform/FileBrowser.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "services/files/NodeTreeOperator.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>

// One removal run, shared with its block on the global queue; `owner` is cleared on the main thread when the
// controller dies or starts another removal, and every step that touches the tree runs there too.
struct Controller::RemoveRun {
    explicit RemoveRun(Controller* self) : owner(self) {}

    void onMain(const std::function<void(Controller&)>& step) const {
        platform::mainSync([&] {
            if (Controller* self = owner.load()) {
                step(*self);
            }
        });
    }

    std::atomic<Controller*> owner;
    std::atomic_bool isStopRemove{false};
};

Controller::~Controller() {
    if (removeRun_) {
        removeRun_->owner.store(nullptr);
    }
}

void Controller::eumeAllRootFileNodeWithRootArr(SharedFileNodeList rootArr, const QString& rootPath,
                                                bool copyAll, bool copyFiles) {
    isCopyAllFiles_ = copyAll;
    isCopyFiles_ = copyFiles;
    eumeRoot_ = std::make_unique<EumeRoot>();
    eumeRoot_->setEumeDelegate(this);
    eumeRoot_->eumeAllRootFileNodeWithRootArr(rootArr, rootPath);
    aRootArr_ = std::move(rootArr);
}

void Controller::endScan() {
    if (!isCopyAllFiles_ || aDelegate_ == nullptr) {
        return;
    }
    if (isCopyFiles_) {
        aDelegate_->copyFileScanFiles();
    } else {
        aDelegate_->endScanFiles();
    }
}

void Controller::endEumeNode() {
    reloadTree();
}

void Controller::getNodeListWithFaterNode(FileNode* node) {
    if (!eumeRoot_) {
        eumeRoot_ = std::make_unique<EumeRoot>();
        eumeRoot_->setEumeDelegate(this);
    }
    eumeRoot_->getNodeListWithFaterNode(node);
}

float Controller::getProgress() const {
    return eumeRoot_ ? eumeRoot_->getProgress() : 0.0F;
}

void Controller::stopScan() {
    if (eumeRoot_) {
        eumeRoot_->stopScan();
    }
}

// Holds back the screen's refreshes while one change runs through the tree, then sends each that was asked
// for once: checking the root of a tree expanded a thousand times over asks a thousand times.
class Controller::Change {
public:
    explicit Change(Controller& controller) : controller_(controller) { ++controller_.changeDepth_; }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    ~Change() {
        if (--controller_.changeDepth_ > 0) {
            return;
        }
        if (std::exchange(controller_.selectAllPending_, false)) {
            controller_.changeSelectAllButtonState();
        }
        if (std::exchange(controller_.reloadPending_, false)) {
            controller_.reloadTree();
        }
    }

private:
    Controller& controller_;
};

void Controller::changeSelectWithNode(FileNode* node, qint64 state) {
    const Change change(*this);
    changeChildrenFilNodeStateWithFileNode(node, state);
    changeSelectAllButtonState();
    reloadTree();
}

void Controller::changeChildrenFilNodeStateWithFileNode(FileNode* node, qint64 state) {
    node->setState(state != FileNode::kUnchecked ? FileNode::kChecked : FileNode::kUnchecked);
    if (!node->isDirectory()) {
        return;
    }
    // By index: the delegate's calls below must not leave an iterator dangling.
    for (std::size_t i = 0; i < node->children().size(); ++i) {
        FileNode* child = node->children()[i].get();
        child->setState(state);
        if (child->isDirectory() && node->isExpand()) {
            changeSelectWithNode(child, state);
        }
    }
}

void Controller::changeFatherNodeSelectStateWithFileNode(FileNode* node, qint64 /*state*/) {
    for (FileNode* current = node;;) {
        if (FileNode* father = current->father()) {
            const FileNodeList& siblings = father->children();
            const auto checked = std::count_if(siblings.begin(), siblings.end(), [](const auto& sibling) {
                return sibling->state() == FileNode::kChecked;
            });
            const bool partly = std::any_of(siblings.begin(), siblings.end(), [](const auto& sibling) {
                return sibling->state() == FileNode::kPartlyChecked;
            });
            if (checked == static_cast<std::ptrdiff_t>(siblings.size())) {
                father->setState(FileNode::kChecked);
            } else {
                father->setState(checked > 0 || partly ? FileNode::kPartlyChecked : FileNode::kUnchecked);
            }
        }
        changeSelectAllButtonState();
        reloadTree();
        current = current->father();
        if (current == nullptr || current->father() == nullptr) {
            return;
        }
    }
}

void Controller::selectAllFileNode(qint64 state) {
    const Change change(*this);
    if (aRootArr_) {
        for (std::size_t i = 0; i < aRootArr_->size(); ++i) {
            FileNode* root = (*aRootArr_)[i].get();
            root->setState(state);
            if (root->isExpand()) {
                changeSelectWithNode(root, state);
            }
        }
    }
    changeSelectAllButtonState();
    reloadTree();
}

void Controller::changeSelectAllButtonState() {
    if (changeDepth_ > 0) {
        selectAllPending_ = true;
    } else if (aDelegate_ != nullptr) {
        aDelegate_->changeSelectAllButtonState();
    }
}

void Controller::reloadTree() {
    if (changeDepth_ > 0) {
        reloadPending_ = true;
    } else if (aDelegate_ != nullptr) {
        aDelegate_->reloadTreeList();
    }
}

void Controller::openFileWithFileNode(const FileNode* node) {
    if (node != nullptr && !node->path().isEmpty()) {
        platform::revealInFileBrowser(node->path());
    }
}

void Controller::pereviewFileWithFileNode(const FileNode* node) {
    if (node != nullptr && !node->path().isEmpty()) {
        platform::openInFileBrowser(node->path());
    }
}

void Controller::deleteFilesWithDic(const FileNodeList& list) {
    if (list.empty()) {
        return;
    }
    QStringList items;
    deleteFilesWithDic(list, items);
    if (removeRun_) {
        removeRun_->owner.store(nullptr);
    }
    removeRun_ = std::make_shared<RemoveRun>(this);
    platform::globalAsync([run = removeRun_, items] { removeSelectFilesWithDic(run, items); });
}

void Controller::deleteFilesWithDic(const FileNodeList& list, QStringList& deleteArr) {
    for (const auto& node : list) {
        if (node->state() == FileNode::kChecked) {
            deleteArr.append(node->path());
        } else if (node->state() == FileNode::kPartlyChecked) {
            deleteFilesWithDic(node->children(), deleteArr);
        }
    }
}

void Controller::stopRemove() {
    if (removeRun_) {
        removeRun_->isStopRemove.store(true);
    }
}

void Controller::removeSelectFilesWithDic(const std::shared_ptr<RemoveRun>& run, const QStringList& items) {
    const auto count = items.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QString& path = items.at(i);
        if (run->isStopRemove.load()) {
            run->onMain([&](Controller& self) { self.endRemove(path); });
            return;
        }
        const auto percent = static_cast<int>(count == 1 ? 30 : 100 * i / count);
        run->onMain([&](Controller& self) {
            if (self.aDelegate_ != nullptr) {
                self.aDelegate_->changeProgressWithPoint(percent, path);
            }
        });
        if (!platform::FileSystem::remove(path)) {
            qCWarning(lcServices, "--delete file error ---::could not remove %s", qUtf8Printable(path));
            continue;
        }
        run->onMain([&](Controller& self) { self.removeFromTree(path); });
    }
    if (count > 0) {
        run->onMain([&](Controller& self) { self.endRemove(items.last()); });
    }
}

void Controller::endRemove(const QString& path) {
    selectAllFileNode(0);
    if (aDelegate_ != nullptr) {
        aDelegate_->changeProgressWithPoint(100, path);
    }
}

// Found by path, since the tree may have changed while the item was being removed.
void Controller::removeFromTree(const QString& path) {
    FileNodeList* list = aRootArr_.get();
    while (list != nullptr) {
        const auto found = std::find_if(list->begin(), list->end(), [&](const auto& node) {
            return path == node->path() ||
                   path.startsWith(NodeTreeOperator::pathInFolder(node->path(), QString()));
        });
        if (found == list->end()) {
            return;
        }
        FileNode* node = found->get();
        if (node->path() != path) {
            list = &node->children();
            continue;
        }
        FileNode* father = node->father();
        list->erase(found);
        if (father != nullptr) {
            changeChildrenFilNodeStateWithFileNode(father, FileNode::kUnchecked);
        }
        return;
    }
}

void Controller::moveFileToTrash(const QString& location) {
    const bool moved = platform::FileSystem::moveToTrash(location);
    qCInfo(lcServices, "--delete file error ---::%s",
           moved ? "(null)" : qUtf8Printable(QStringLiteral("could not move %1 to the Trash").arg(location)));
}

void Controller::moveFileToTarsh() {
    reloadTree();
}
