#pragma once

#include "services/files/EumeRootDelegate.h"
#include "services/files/FileNode.h"
#include "services/files/NodeTreeOperator.h"
#include "services/files/NodeTreeOperatorDelegate.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace platform {
class Folder;
}

// Turns a source folder into root nodes. A scan lists on the global queue and hands the finished nodes to the
// main thread in batches, where it changes the caller's list; `endScan` follows the last batch. Destroying
// the scanner, or starting another scan, abandons the running one: it adds nothing more and reports nothing.
// A scan stays on the source's volume: another volume's mount point is no entry of it.
class EumeRoot : private NodeTreeOperatorDelegate {
public:
    EumeRoot();
    EumeRoot(const EumeRoot&) = delete;
    EumeRoot& operator=(const EumeRoot&) = delete;
    ~EumeRoot() override;

    // The top level of `rootPath` into `rootArr`, less the names that volumes keep for the system: the files
    // largest first, then the folders in listing order, unsized. Returns at once.
    void eumeAllRootFileNodeWithRootArr(SharedFileNodeList rootArr, const QString& rootPath);
    // Lists the folder of `node` into its children, here and now; they take the node's check (a partly
    // checked node gives checked children).
    void getNodeListWithFaterNode(FileNode* node);
    // The whole tree below `rootPath`, sized, into the list of the last `eumeAllRootFileNodeWithRootArr`,
    // with no names left out. Stops between top-level entries after `stopScan`; a stopped scan reports
    // nothing.
    void getRootNodeListWithPath(const QString& rootPath);

    void insertFileInRootArrWithFile(std::unique_ptr<FileNode> node);
    void doRootArrSort() override;
    // Percent of the top-level entries handed over; 100 once the scan has ended, whatever it found.
    float getProgress() const;
    void stopScan();

    int allFileCount() const;
    int eumeFileCount() const;
    EumeRootDelegate* eumeDelegate() const { return eumeDelegate_; }
    void setEumeDelegate(EumeRootDelegate* delegate) { eumeDelegate_ = delegate; }

    // The names that a volume keeps at its top level for the system (".Trashes", ".fseventsd", ...): exact,
    // case-sensitive.
    static bool isSkipName(const QString& name);

private:
    struct Run;
    struct TopLevel;
    struct FolderWalk;

    std::shared_ptr<Run> startRun();
    void abandonRun();
    // The first steps of both scans, in listing order; nothing once the scan has ended, at a missing root or
    // at a file.
    static std::optional<TopLevel> topLevelEntries(const std::shared_ptr<Run>& run, const QString& rootPath,
                                                   bool skipSystemNames);
    static void eumeRootListNode(const std::shared_ptr<Run>& run, const QString& rootPath);
    static void deepScan(const std::shared_ptr<Run>& run, const QString& rootPath);
    // Walks the top-level folders side by side and hands them over, sized, a batch at a time.
    static bool walkTopLevelFolders(const std::shared_ptr<Run>& run, std::shared_ptr<FolderWalk> walk);
    void handOver(FileNodeList sized, FileNodeList unsized);
    void endRun();

    SharedFileNodeList rootNodeArr_;
    std::shared_ptr<NodeTreeOperator> treeOperator_;
    std::shared_ptr<Run> run_;
    EumeRootDelegate* eumeDelegate_ = nullptr;
};
