#pragma once

#include "services/files/ControllerDelegate.h"
#include "services/files/EumeRoot.h"
#include "services/files/EumeRootDelegate.h"
#include "services/files/FileNode.h"

#include <QString>
#include <QStringList>

#include <memory>

// Sits between a screen and its file tree: scans a source folder into root nodes, lists a folder when the
// user opens it, and keeps the three check states consistent up and down the tree. Used on the main thread;
// the scans and the removal of checked items run in the background and report back there.
class Controller : public EumeRootDelegate {
public:
    Controller() = default;
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;
    ~Controller() override;

    // Scanning. A scan with `copyAll` ends with `copyFileScanFiles` (`copyFiles`) or `endScanFiles`; one for
    // the file list reports nothing, which follows it through `getProgress`.
    void eumeAllRootFileNodeWithRootArr(SharedFileNodeList rootArr, const QString& rootPath, bool copyAll,
                                        bool copyFiles);
    void endScan() override;
    void endEumeNode() override;
    void getNodeListWithFaterNode(FileNode* node);
    float getProgress() const;
    void stopScan();

    // Selection. A change tells the screen once, when it is complete, however many folders it went through.
    void changeSelectWithNode(FileNode* node, qint64 state);
    // Checks (any state but 0) or unchecks the node and gives its children the state; goes deeper only below
    // an expanded node.
    void changeChildrenFilNodeStateWithFileNode(FileNode* node, qint64 state);
    // Recomputes every ancestor of the node from its children: 1 when all are 1, 2 when any is 1 or 2, else
    // 0.
    void changeFatherNodeSelectStateWithFileNode(FileNode* node, qint64 state);
    void selectAllFileNode(qint64 state);
    void changeSelectAllButtonState();
    void reloadTree();

    // The file browser: the item's location shown, or the item opened.
    void openFileWithFileNode(const FileNode* node);
    void pereviewFileWithFileNode(const FileNode* node);

    // Removal of the checked items of `list` from the disk and from the tree, one by one in the background.
    // An item that cannot be removed is logged and stays in the tree.
    void deleteFilesWithDic(const FileNodeList& list);
    // The paths of the checked items: a checked folder whole, a partly checked one through its children.
    static void deleteFilesWithDic(const FileNodeList& list, QStringList& deleteArr);
    void stopRemove();
    void moveFileToTrash(const QString& location);
    void moveFileToTarsh();

    const SharedFileNodeList& aRootArr() const { return aRootArr_; }
    bool isCopyAllFiles() const { return isCopyAllFiles_; }
    bool isCopyFiles() const { return isCopyFiles_; }
    ControllerDelegate* aDelegate() const { return aDelegate_; }
    void setADelegate(ControllerDelegate* delegate) { aDelegate_ = delegate; }

private:
    struct RemoveRun;
    class Change;

    static void removeSelectFilesWithDic(const std::shared_ptr<RemoveRun>& run, const QStringList& items);
    void removeFromTree(const QString& path);
    void endRemove(const QString& path);

    SharedFileNodeList aRootArr_;
    bool isCopyAllFiles_ = false;
    bool isCopyFiles_ = false;
    std::unique_ptr<EumeRoot> eumeRoot_;
    std::shared_ptr<RemoveRun> removeRun_;
    ControllerDelegate* aDelegate_ = nullptr;
    int changeDepth_ = 0;
    bool selectAllPending_ = false;
    bool reloadPending_ = false;
};
