#include "platform/Dispatch.h"
#include "services/files/Controller.h"

#include "platform/MacPath.h"

#include "tests/services/files/FileTreeSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using filetree::adopt;
using filetree::drainBackground;
using filetree::names;
using filetree::node;
using filetree::rootList;
using filetree::SimMac;

namespace {

struct ScreenRecorder : ControllerDelegate {
    void copyFileScanFiles() override { ++copyScans; }
    void endScanFiles() override { ++imageScans; }
    void reloadTreeList() override { ++reloads; }
    void changeSelectAllButtonState() override { ++selectAllRefreshes; }
    void changeProgressWithPoint(int percent, const QString& path) override {
        progress.emplace_back(percent, path);
        if (onProgress) {
            onProgress();
        }
    }

    int copyScans = 0;
    int imageScans = 0;
    int reloads = 0;
    int selectAllRefreshes = 0;
    std::vector<std::pair<int, QString>> progress;
    std::function<void()> onProgress;
};

// A folder holding two files and an expanded subfolder of two files.
struct SmallTree {
    SmallTree() {
        folder = node(QStringLiteral("/v/f"), true, 0);
        adopt(folder.get(), node(QStringLiteral("/v/f/a"), false, 0));
        adopt(folder.get(), node(QStringLiteral("/v/f/b"), false, 0));
        sub = adopt(folder.get(), node(QStringLiteral("/v/f/sub"), true, 0));
        adopt(sub, node(QStringLiteral("/v/f/sub/c"), false, 0));
        adopt(sub, node(QStringLiteral("/v/f/sub/d"), false, 0));
        sub->setIsExpand(true);
    }

    std::vector<qint64> states() const {
        std::vector<qint64> result{folder->state()};
        for (const auto& child : folder->children()) {
            result.push_back(child->state());
        }
        for (const auto& child : sub->children()) {
            result.push_back(child->state());
        }
        return result;
    }

    std::unique_ptr<FileNode> folder;
    FileNode* sub = nullptr;
};

}  // namespace

TEST(Selection, CheckingAnExpandedFolderChecksEveryShownNode) {
    SmallTree tree;
    tree.folder->setIsExpand(true);
    Controller controller;
    ScreenRecorder screen;
    controller.setADelegate(&screen);
    controller.changeSelectWithNode(tree.folder.get(), 1);
    EXPECT_EQ(tree.states(), std::vector<qint64>(6, 1));
    EXPECT_EQ(screen.reloads, 1) << "one change, one reload, however many folders are expanded";
    EXPECT_EQ(screen.selectAllRefreshes, 1);

    controller.changeSelectWithNode(tree.folder.get(), 0);
    EXPECT_EQ(tree.states(), std::vector<qint64>(6, 0));
}

TEST(Selection, AStateGoesNoDeeperThanTheChildrenOfACollapsedFolder) {
    SmallTree tree;
    Controller controller;
    controller.changeChildrenFilNodeStateWithFileNode(tree.folder.get(), 1);
    EXPECT_EQ(tree.states(), (std::vector<qint64>{1, 1, 1, 1, 0, 0}));
}

TEST(Selection, AClickOnACollapsedFolderLeavesItsChildren) {
    SmallTree tree;
    Controller controller;
    // The file list's click: the node's own state, a push only when expanded, then the ancestors.
    tree.folder->setState(1);
    controller.changeFatherNodeSelectStateWithFileNode(tree.folder.get(), 1);
    EXPECT_EQ(tree.states(), (std::vector<qint64>{1, 0, 0, 0, 0, 0}));
}

TEST(Selection, SelectingAllPushesIntoExpandedRootsOnly) {
    SmallTree expanded;
    SmallTree collapsed;
    expanded.folder->setIsExpand(true);
    const auto list = rootList();
    list->push_back(std::move(expanded.folder));
    list->push_back(std::move(collapsed.folder));
    Controller controller;
    ScreenRecorder screen;
    controller.setADelegate(&screen);
    controller.eumeAllRootFileNodeWithRootArr(list, QStringLiteral("/nowhere"), false, false);
    drainBackground();
    controller.selectAllFileNode(1);
    EXPECT_EQ(list->at(0)->children()[0]->state(), 1);
    EXPECT_EQ(expanded.sub->children()[0]->state(), 1);
    EXPECT_EQ(list->at(1)->state(), 1);
    EXPECT_EQ(list->at(1)->children()[0]->state(), 0);
    EXPECT_GE(screen.reloads, 1);
}

struct FatherCase {
    const char* name;
    std::vector<qint64> siblings;
    qint64 father;
    friend void PrintTo(const FatherCase& row, std::ostream* out) { *out << row.name; }
};

class FatherState : public testing::TestWithParam<FatherCase> {};

TEST_P(FatherState, FollowsTheChildrenUpToTheRoot) {
    auto root = node(QStringLiteral("/r"), true, 1);
    FileNode* father = adopt(root.get(), node(QStringLiteral("/r/f"), true, 1));
    adopt(root.get(), node(QStringLiteral("/r/other"), false, 0));
    std::vector<FileNode*> siblings;
    for (const qint64 state : GetParam().siblings) {
        siblings.push_back(adopt(father, node(QStringLiteral("/r/f/%1").arg(siblings.size()), false, state)));
    }
    Controller controller;
    ScreenRecorder screen;
    controller.setADelegate(&screen);
    controller.changeFatherNodeSelectStateWithFileNode(siblings.front(), siblings.front()->state());
    EXPECT_EQ(father->state(), GetParam().father);
    EXPECT_EQ(root->state(), GetParam().father == 0 ? 0 : 2) << "the root's other child is unchecked";
    EXPECT_EQ(screen.reloads, 2) << "once per level";
}

INSTANTIATE_TEST_SUITE_P(Siblings, FatherState,
                         testing::Values(FatherCase{"oneChecked", {1, 0, 0}, 2},
                                         FatherCase{"allChecked", {1, 1, 1}, 1},
                                         FatherCase{"onePartly", {0, 2, 0}, 2},
                                         FatherCase{"noneChecked", {0, 0, 0}, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Selection, ARootHasNoAncestorsButTheScreenIsStillTold) {
    auto root = node(QStringLiteral("/r"), false, 0);
    Controller controller;
    ScreenRecorder screen;
    controller.setADelegate(&screen);
    controller.changeFatherNodeSelectStateWithFileNode(root.get(), 0);
    EXPECT_EQ(root->state(), 0);
    EXPECT_EQ(screen.reloads, 1);
    EXPECT_EQ(screen.selectAllRefreshes, 1);
}

struct WholeSourceCase {
    const char* name;
    bool copyAll;
    bool copyFiles;
    int copyScans;
    int imageScans;
    friend void PrintTo(const WholeSourceCase& row, std::ostream* out) { *out << row.name; }
};

class WholeSourceScan : public testing::TestWithParam<WholeSourceCase> {};

TEST_P(WholeSourceScan, EndsWithExactlyOneReport) {
    const SimMac mac;
    mac.file(QStringLiteral("/Volumes/Mac/a.txt"), 3);
    mac.folder(QStringLiteral("/Volumes/Mac/Users"));
    for (const char* root : {"/Volumes/Mac", "/Volumes/Missing"}) {
        Controller controller;
        ScreenRecorder screen;
        controller.setADelegate(&screen);
        const auto list = rootList();
        controller.eumeAllRootFileNodeWithRootArr(list, QLatin1String(root), GetParam().copyAll,
                                                  GetParam().copyFiles);
        EXPECT_EQ(controller.aRootArr(), list);
        ASSERT_TRUE(testsupport::waitUntil([&] { return controller.getProgress() >= 100.0F; })) << root;
        drainBackground();
        EXPECT_EQ(screen.copyScans, GetParam().copyScans) << root;
        EXPECT_EQ(screen.imageScans, GetParam().imageScans) << root;
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, WholeSourceScan,
                         testing::Values(WholeSourceCase{"copy", true, true, 1, 0},
                                         WholeSourceCase{"image", true, false, 0, 1},
                                         WholeSourceCase{"fileList", false, true, 0, 0},
                                         WholeSourceCase{"fileListImage", false, false, 0, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Scanning, ListingAFolderRedrawsTheTree) {
    const SimMac mac;
    mac.file(QStringLiteral("/Volumes/Mac/Users/x"), 1);
    auto users = node(QStringLiteral("/Volumes/Mac/Users"), true, 2);
    Controller controller;
    ScreenRecorder screen;
    controller.setADelegate(&screen);
    EXPECT_FLOAT_EQ(controller.getProgress(), 0.0F);
    controller.getNodeListWithFaterNode(users.get());
    EXPECT_EQ(names(users->children()), QStringList({"x"}));
    EXPECT_EQ(screen.reloads, 1);
}

TEST(Scanning, ADestroyedControllerLeavesTheListAndTheScreenAlone) {
    const SimMac mac;
    mac.file(QStringLiteral("/Volumes/Mac/a.txt"), 3);
    ScreenRecorder screen;
    const auto list = rootList();
    {
        Controller controller;
        controller.setADelegate(&screen);
        controller.eumeAllRootFileNodeWithRootArr(list, QStringLiteral("/Volumes/Mac"), true, true);
    }
    drainBackground();
    EXPECT_TRUE(list->empty());
    EXPECT_EQ(screen.copyScans, 0);
}

class Removal : public testing::Test {
protected:
    void SetUp() override {
        mac.file(QStringLiteral("/Volumes/USB/old.log"), 10);
        mac.file(QStringLiteral("/Volumes/USB/keep/a"), 1);
        mac.file(QStringLiteral("/Volumes/USB/keep/b"), 1);
        mac.file(QStringLiteral("/Volumes/USB/keep/c"), 1);
        controller.setADelegate(&screen);
        controller.eumeAllRootFileNodeWithRootArr(list, QStringLiteral("/Volumes/USB"), false, false);
        EXPECT_TRUE(testsupport::waitUntil([&] { return controller.getProgress() >= 100.0F; }));
        keep = list->at(1).get();
        keep->setIsExpand(true);
        controller.getNodeListWithFaterNode(keep);
        controller.selectAllFileNode(0);
    }

    void removeChecked() {
        controller.deleteFilesWithDic(*list);
        ASSERT_TRUE(testsupport::waitUntil(
            [&] { return !screen.progress.empty() && screen.progress.back().first == 100; }));
        drainBackground();
    }

    SimMac mac;
    Controller controller;
    ScreenRecorder screen;
    SharedFileNodeList list = rootList();
    FileNode* keep = nullptr;
};

TEST_F(Removal, ASingleItemReports30Then100) {
    list->at(0)->setState(1);
    removeChecked();
    EXPECT_EQ(screen.progress, (std::vector<std::pair<int, QString>>{{30, "/Volumes/USB/old.log"},
                                                                     {100, "/Volumes/USB/old.log"}}));
    EXPECT_FALSE(mac.exists(QStringLiteral("/Volumes/USB/old.log")));
    EXPECT_EQ(names(*list), QStringList({"keep"}));
}

TEST_F(Removal, CheckedChildrenLeaveTheirFolderUnchecked) {
    keep->children()[0]->setState(1);
    keep->children()[2]->setState(1);
    keep->setState(2);
    removeChecked();
    std::vector<int> percents;
    for (const auto& step : screen.progress) {
        percents.push_back(step.first);
    }
    EXPECT_EQ(percents, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(names(keep->children()), QStringList({"b"}));
    EXPECT_EQ(keep->state(), 0);
    EXPECT_EQ(mac.tree(QStringLiteral("/Volumes/USB/keep")), QStringList({"b"}));
}

TEST_F(Removal, AnItemThatCannotBeRemovedStaysInTheTree) {
    keep->children()[0]->setPath(QStringLiteral("/../outside"));
    keep->children()[0]->setState(1);
    keep->setState(2);
    removeChecked();
    EXPECT_EQ(keep->children().size(), 3U);
}

TEST_F(Removal, AStopEndsBeforeTheNextItem) {
    for (const auto& child : keep->children()) {
        child->setState(1);
    }
    keep->setState(2);
    screen.onProgress = [&] { controller.stopRemove(); };
    removeChecked();
    EXPECT_EQ(screen.progress.size(), 2U);
    EXPECT_EQ(screen.progress.back(), (std::pair<int, QString>{100, "/Volumes/USB/keep/b"}));
    EXPECT_EQ(mac.tree(QStringLiteral("/Volumes/USB/keep")), QStringList({"b", "c"}));
    EXPECT_EQ(keep->state(), 0) << "a stop unchecks everything";
}

TEST(FinderActions, ShowOrOpenTheItemInTheFileBrowser) {
    const SimMac mac;
    mac.file(QStringLiteral("/Volumes/USB/Photos/a.jpg"), 1);
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("calls"));
    QFile script(bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + QFile::encodeName(record) + "'\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const testsupport::ScopedEnv path("PATH", bin.path() + QLatin1Char(':') + qEnvironmentVariable("PATH"));

    auto calls = [&] {
        QFile in(record);
        return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()).split('\n', Qt::SkipEmptyParts)
                                            : QStringList();
    };

    Controller controller;
    const auto photo = node(QStringLiteral("/Volumes/USB/Photos/a.jpg"), false);
    controller.openFileWithFileNode(node(QString(), false).get());
    controller.openFileWithFileNode(photo.get());
    ASSERT_TRUE(testsupport::waitUntil([&] { return calls().size() == 1; }));
    controller.pereviewFileWithFileNode(photo.get());
    ASSERT_TRUE(testsupport::waitUntil([&] { return calls().size() == 2; }));
    EXPECT_EQ(calls(), QStringList({mac.host(QStringLiteral("/Volumes/USB/Photos")),
                                    mac.host(QStringLiteral("/Volumes/USB/Photos/a.jpg"))}))
        << "a node without a path opens nothing";
}

TEST(Trash, MovesTheItemAwayFromItsPlace) {
    const SimMac mac;
    mac.file(QStringLiteral("/Users/ana/Desktop/old.txt"), 4);
    ScreenRecorder screen;
    Controller controller;
    controller.setADelegate(&screen);
    controller.moveFileToTrash(QStringLiteral("/Users/ana/Desktop/old.txt"));
    EXPECT_FALSE(mac.exists(QStringLiteral("/Users/ana/Desktop/old.txt")));
    EXPECT_TRUE(mac.exists(platform::homeFolder() + QStringLiteral("/.Trash/old.txt")));
    controller.moveFileToTarsh();
    EXPECT_EQ(screen.reloads, 1);
}
