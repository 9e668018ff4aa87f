#include "platform/Dispatch.h"
#include "services/files/EumeRoot.h"
#include "services/files/GetFilesSize.h"
#include "services/files/NodeTreeOperator.h"

#include "tests/services/files/FileTreeSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <sys/stat.h>

using filetree::adopt;
using filetree::drainBackground;
using filetree::names;
using filetree::node;
using filetree::rootList;
using filetree::SimMac;

namespace {

struct ScanRecorder : EumeRootDelegate {
    void endScan() override {
        ++endScans;
        onMainThread = onMainThread && platform::isMainThread();
    }
    void endEumeNode() override { ++endNodes; }

    int endScans = 0;
    int endNodes = 0;
    bool onMainThread = true;
};

struct SizeRecorder : GetFilesSizeDelegate {
    void allCopyFilesSize(qint64 total) override {
        totals.push_back(total);
        onMainThread = onMainThread && platform::isMainThread();
    }

    std::vector<qint64> totals;
    bool onMainThread = true;
};

const QString kLongName = QString(251, QLatin1Char('n')) + QStringLiteral(".txt");  // 255 bytes, the longest
const QString kWideName =
    QString(80, QChar(0x00E9)) + QStringLiteral(" 履歴書.txt");  // two and three bytes each

// A volume with nested folders, names beyond ASCII, a name of the longest length, a link and an empty folder.
void makeDataVolume(const SimMac& mac) {
    mac.file(QStringLiteral("/Volumes/Data/a.bin"), 1000);
    mac.file(QStringLiteral("/Volumes/Data/docs/report.pdf"), 300);
    mac.file(QStringLiteral("/Volumes/Data/docs/") + kWideName, 77);
    mac.file(QStringLiteral("/Volumes/Data/docs/") + kLongName, 5);
    mac.file(QStringLiteral("/Volumes/Data/docs/deep/er/still/x"), 12288);
    mac.file(QStringLiteral("/Volumes/Data/photos/1.jpg"), 5000);
    mac.file(QStringLiteral("/Volumes/Data/photos/2.jpg"), 0);
    mac.link(QStringLiteral("/Volumes/Data/link-to-docs"), QStringLiteral("docs"));
    mac.folder(QStringLiteral("/Volumes/Data/empty"));
}

// The bytes below a host folder as `du -sb` counts them, less the folders' own sizes, which the file tree
// leaves out.
qint64 duFileBytes(const QString& hostFolder) {
    QProcess du;
    du.start(QStringLiteral("du"), {QStringLiteral("-sb"), hostFolder});
    EXPECT_TRUE(du.waitForFinished(-1));
    qint64 total = du.readAllStandardOutput().split('\t').front().toLongLong();
    const std::filesystem::path base = QFile::encodeName(hostFolder).toStdString();
    std::vector<std::filesystem::path> folders{base};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
        if (entry.is_directory() && !entry.is_symlink()) {
            folders.push_back(entry.path());
        }
    }
    for (const auto& folder : folders) {
        struct stat st {};
        EXPECT_EQ(::lstat(folder.c_str(), &st), 0);
        total -= st.st_size;
    }
    return total;
}

// The same sum walked independently: every item that is not a folder, links by their own size.
quint64 walkedBytes(const QString& hostFolder) {
    quint64 total = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(QFile::encodeName(hostFolder).toStdString())) {
        struct stat st {};
        EXPECT_EQ(::lstat(entry.path().c_str(), &st), 0);
        if (!S_ISDIR(st.st_mode)) {
            total += static_cast<quint64>(st.st_size);
        }
    }
    return total;
}

void expectSizedAndSorted(const SimMac& mac, const FileNode& folder) {
    if (!folder.isDirectory() || mac.isLink(folder.path())) {
        return;
    }
    EXPECT_EQ(folder.size(), walkedBytes(mac.host(folder.path()))) << folder.path().toStdString();
    EXPECT_TRUE(std::is_sorted(folder.children().begin(), folder.children().end(), FileNode::largerFirst));
    for (const auto& child : folder.children()) {
        EXPECT_EQ(child->father(), &folder);
        expectSizedAndSorted(mac, *child);
    }
}

void runShallowScan(EumeRoot& scanner, ScanRecorder& recorder, const SharedFileNodeList& list,
                    const QString& rootPath) {
    scanner.setEumeDelegate(&recorder);
    scanner.eumeAllRootFileNodeWithRootArr(list, rootPath);
    ASSERT_TRUE(testsupport::waitUntil([&] { return recorder.endScans > 0; }));
    drainBackground();
}

}  // namespace

TEST(ShallowScan, LeavesOutTheVolumeSystemNamesExactly) {
    const SimMac mac;
    for (const char* name : {".Trashes", ".fseventsd", ".Spotlight-V100", ".vol", ".Volumes"}) {
        mac.folder(QStringLiteral("/Volumes/USB/") + QLatin1String(name));
    }
    for (const char* name : {".DS_Store", ".Trash", ".Volume", ".trashes", ".DS_Store 2", "notes.txt"}) {
        mac.file(QStringLiteral("/Volumes/USB/") + QLatin1String(name), 1);
    }
    mac.folder(QStringLiteral("/Volumes/USB/Photos"));

    EumeRoot scanner;
    ScanRecorder recorder;
    const auto list = rootList();
    runShallowScan(scanner, recorder, list, QStringLiteral("/Volumes/USB"));
    EXPECT_EQ(names(*list), QStringList({"notes.txt", ".trashes", ".DS_Store 2", "Photos"}));
    EXPECT_EQ(scanner.allFileCount(), 4);
    EXPECT_EQ(recorder.endScans, 1);
    EXPECT_TRUE(recorder.onMainThread);
    EXPECT_FLOAT_EQ(scanner.getProgress(), 100.0F);
}

TEST(ShallowScan, PutsFilesLargestFirstThenFoldersInListingOrder) {
    const SimMac mac;
    mac.file(QStringLiteral("/src/ten"), 10);
    mac.file(QStringLiteral("/src/twenty"), 20);
    mac.file(QStringLiteral("/src/zero"), 0);
    mac.file(QStringLiteral("/src/also-ten"), 10);
    mac.folder(QStringLiteral("/src/b-folder"));
    mac.folder(QStringLiteral("/src/a-folder"));
    mac.link(QStringLiteral("/src/c-link"), QStringLiteral("a-folder"));

    EumeRoot scanner;
    ScanRecorder recorder;
    const auto list = rootList();
    runShallowScan(scanner, recorder, list, QStringLiteral("/src"));
    EXPECT_EQ(names(*list),
              QStringList({"twenty", "ten", "also-ten", "c-link", "zero", "a-folder", "b-folder"}))
        << "a later file goes ahead of one of its size; a link, even to a folder, is one item of its own "
           "size";
    EXPECT_EQ(list->front()->size(), 20U);
    EXPECT_EQ(list->back()->size(), 0U) << "folders are not sized here";
    EXPECT_TRUE(list->back()->isDirectory());
}

TEST(ShallowScan, TheRootFolderGivesPathsWithOneLeadingSlash) {
    const SimMac mac;
    mac.folder(QStringLiteral("/Applications"));
    mac.file(QStringLiteral("/mach_kernel"), 3);
    EumeRoot scanner;
    ScanRecorder recorder;
    const auto list = rootList();
    runShallowScan(scanner, recorder, list, QStringLiteral("/"));
    ASSERT_EQ(list->size(), 2U);
    EXPECT_EQ(list->at(0)->path(), QStringLiteral("/mach_kernel"));
    EXPECT_EQ(list->at(1)->path(), QStringLiteral("/Applications"));
}

struct EndCase {
    const char* name;
    std::function<void(const SimMac&)> prepare;
    QStringList roots;
    friend void PrintTo(const EndCase& row, std::ostream* out) { *out << row.name; }
};

class ScanEnd : public testing::TestWithParam<EndCase> {};

TEST_P(ScanEnd, EveryScanEndsAndReportsItsEnd) {
    const SimMac mac;
    GetParam().prepare(mac);
    for (const bool deep : {false, true}) {
        EumeRoot scanner;
        ScanRecorder recorder;
        scanner.setEumeDelegate(&recorder);
        const auto list = rootList();
        scanner.eumeAllRootFileNodeWithRootArr(list, QStringLiteral("/Volumes/USB/item"));
        if (deep) {
            scanner.getRootNodeListWithPath(QStringLiteral("/Volumes/USB/item"));
        }
        EXPECT_TRUE(testsupport::waitUntil([&] { return recorder.endScans > 0; })) << "deep: " << deep;
        drainBackground();
        EXPECT_EQ(recorder.endScans, 1);
        EXPECT_EQ(names(*list), GetParam().roots);
        EXPECT_FLOAT_EQ(scanner.getProgress(), 100.0F) << "the file list must not wait for ever";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Roots, ScanEnd,
    testing::Values(
        EndCase{"empty", [](const SimMac& mac) { mac.folder(QStringLiteral("/Volumes/USB/item")); }, {}},
        EndCase{"missing", [](const SimMac& mac) { mac.folder(QStringLiteral("/Volumes/USB")); }, {}},
        EndCase{"danglingLink",
                [](const SimMac& mac) {
                    mac.link(QStringLiteral("/Volumes/USB/item"), QStringLiteral("nowhere"));
                },
                {}},
        EndCase{
            "file", [](const SimMac& mac) { mac.file(QStringLiteral("/Volumes/USB/item"), 42); }, {"item"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ShallowScan, AnAbandonedScanAddsAndReportsNothing) {
    const SimMac mac;
    mac.file(QStringLiteral("/Volumes/USB/a"), 1);
    ScanRecorder recorder;
    const auto first = rootList();
    const auto second = rootList();
    {
        EumeRoot scanner;
        scanner.setEumeDelegate(&recorder);
        scanner.eumeAllRootFileNodeWithRootArr(first, QStringLiteral("/Volumes/USB"));
        scanner.eumeAllRootFileNodeWithRootArr(second, QStringLiteral("/Volumes/USB"));
        ASSERT_TRUE(testsupport::waitUntil([&] { return recorder.endScans > 0; }));
        scanner.eumeAllRootFileNodeWithRootArr(rootList(), QStringLiteral("/Volumes/USB"));
    }
    drainBackground();
    EXPECT_TRUE(first->empty()) << "replaced by the second scan before its hand-over";
    EXPECT_EQ(names(*second), QStringList({"a"}));
    EXPECT_EQ(recorder.endScans, 1) << "the third scanner died before it could report";
}

struct ListingCase {
    const char* name;
    qint64 father;
    qint64 children;
    friend void PrintTo(const ListingCase& row, std::ostream* out) { *out << row.name; }
};

class FolderListing : public testing::TestWithParam<ListingCase> {};

TEST_P(FolderListing, ChildrenTakeTheFathersCheck) {
    const SimMac mac;
    mac.file(QStringLiteral("/Volumes/USB/Photos/b.jpg"), 7);
    mac.folder(QStringLiteral("/Volumes/USB/Photos/album"));
    mac.link(QStringLiteral("/Volumes/USB/Photos/c-link"), QStringLiteral("album"));
    auto photos = node(QStringLiteral("/Volumes/USB/Photos"), true, GetParam().father);

    EumeRoot scanner;
    ScanRecorder recorder;
    scanner.setEumeDelegate(&recorder);
    scanner.getNodeListWithFaterNode(photos.get());
    EXPECT_EQ(recorder.endNodes, 1);
    ASSERT_EQ(names(photos->children()), QStringList({"album", "b.jpg", "c-link"})) << "listing order";
    for (const auto& child : photos->children()) {
        EXPECT_EQ(child->state(), GetParam().children);
        EXPECT_EQ(child->father(), photos.get());
        EXPECT_EQ(child->path(), QStringLiteral("/Volumes/USB/Photos/") + child->name());
    }
    EXPECT_TRUE(photos->children()[0]->isDirectory());
    EXPECT_EQ(photos->children()[1]->size(), 7U);
    EXPECT_FALSE(photos->children()[2]->isDirectory()) << "a link to a folder is one item, never opened";
}

INSTANTIATE_TEST_SUITE_P(States, FolderListing,
                         testing::Values(ListingCase{"unchecked", 0, 0}, ListingCase{"checked", 1, 1},
                                         ListingCase{"partlyChecked", 2, 1}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FolderListing, AMissingFolderReportsNothing) {
    const SimMac mac;
    auto gone = node(QStringLiteral("/Volumes/USB/gone"), true);
    EumeRoot scanner;
    ScanRecorder recorder;
    scanner.setEumeDelegate(&recorder);
    scanner.getNodeListWithFaterNode(gone.get());
    EXPECT_EQ(recorder.endNodes, 0);
    EXPECT_TRUE(gone->children().empty());
}

// A deep scan fills the list of the last shallow scan, here of a missing folder.
class DeepScan : public testing::Test {
protected:
    void SetUp() override {
        makeDataVolume(mac);
        runShallowScan(scanner, recorder, list, QStringLiteral("/Volumes/Missing"));
    }

    SimMac mac;
    EumeRoot scanner;
    ScanRecorder recorder;
    SharedFileNodeList list = rootList();
};

TEST_F(DeepScan, BuildsTheWholeTreeWithTheSizesThatDuCounts) {
    scanner.getRootNodeListWithPath(QStringLiteral("/Volumes/Data"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return recorder.endScans == 2; }));
    drainBackground();

    EXPECT_EQ(names(*list), QStringList({"docs", "photos", "a.bin", "link-to-docs", "empty"}));
    quint64 total = 0;
    for (const auto& root : *list) {
        expectSizedAndSorted(mac, *root);
        total += root->size();
    }
    EXPECT_TRUE(std::is_sorted(list->begin(), list->end(), FileNode::largerFirst));
    EXPECT_EQ(total, walkedBytes(mac.host(QStringLiteral("/Volumes/Data"))));
    EXPECT_EQ(static_cast<qint64>(total), duFileBytes(mac.host(QStringLiteral("/Volumes/Data"))));
    EXPECT_EQ(list->at(3)->size(), 4U) << "a link counts with its own size and is not entered";
    EXPECT_TRUE(list->at(3)->children().empty());

    const FileNode& docs = *list->front();
    EXPECT_EQ(names(docs.children()), QStringList({"deep", "report.pdf", kWideName, kLongName}));
}

TEST_F(DeepScan, AStoppedScanReportsNothing) {
    scanner.stopScan();
    scanner.getRootNodeListWithPath(QStringLiteral("/Volumes/Data"));
    drainBackground();
    EXPECT_EQ(recorder.endScans, 1) << "only the shallow scan's";
    EXPECT_TRUE(list->empty());
}

struct VolumeCase {
    const char* name;
    std::function<void(const SimMac&)> prepare;
    QString root;
    QStringList roots;  // what the deep scan finds at the top, largest first
    quint64 bytes;
    friend void PrintTo(const VolumeCase& row, std::ostream* out) { *out << row.name; }
};

class OneVolume : public testing::TestWithParam<VolumeCase> {};

TEST_P(OneVolume, ScansAndSumsCountTheVolumesOwnFilesAtAnyDepth) {
    const SimMac mac;
    GetParam().prepare(mac);
    EumeRoot deep;
    ScanRecorder recorder;
    const auto list = rootList();
    runShallowScan(deep, recorder, list, QStringLiteral("/Volumes/Missing"));
    deep.getRootNodeListWithPath(GetParam().root);
    ASSERT_TRUE(testsupport::waitUntil([&] { return recorder.endScans == 2; }, 60000))
        << "the deep scan never ended";
    drainBackground();
    EXPECT_EQ(names(*list), GetParam().roots);
    quint64 total = 0;
    for (const auto& root : *list) {
        total += root->size();
    }
    EXPECT_EQ(total, GetParam().bytes);
    EXPECT_EQ(GetFilesSize::getFileSizeWithPat(GetParam().root, 0), GetParam().bytes);

    EumeRoot shallow;
    ScanRecorder shallowRecorder;
    const auto top = rootList();
    runShallowScan(shallow, shallowRecorder, top, GetParam().root);
    QStringList shown = names(*top);
    QStringList expected = GetParam().roots;
    shown.sort();
    expected.sort();
    EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, OneVolume,
    testing::Values(
        VolumeCase{"theStartupVolume",
                   [](const SimMac& mac) {
                       mac.file(QStringLiteral("/Applications/App/bin"), 10);
                       mac.file(QStringLiteral("/System/Library/lib"), 20);
                       mac.file(QStringLiteral("/mach_kernel"), 5);
                       mac.file(QStringLiteral("/System/Volumes/Data/Users/x"), 3000);
                       mac.file(QStringLiteral("/Volumes/USB/u"), 1000);
                       mac.link(QStringLiteral("/Volumes/Macintosh HD"), QStringLiteral(".."));
                       mac.file(QStringLiteral("/.sim/calls.log"), 500);
                   },
                   QStringLiteral("/"),
                   {"System", "Applications", "mach_kernel"},
                   35},
        VolumeCase{"aMountPointOfTheInventory",
                   [](const SimMac& mac) {
                       mac.file(QStringLiteral("/Users/ana/a"), 7);
                       mac.file(QStringLiteral("/Users/ana/Net/b"), 100);
                       mac.mounted({QStringLiteral("/"), QStringLiteral("/Users/ana/Net")});
                   },
                   QStringLiteral("/Users"),
                   {"ana"},
                   7},
        VolumeCase{"aTreeDeeperThanAPathMayBeLong",
                   [](const SimMac& mac) { mac.deepTree(QStringLiteral("/Volumes/Deep/tree"), 700); },
                   QStringLiteral("/Volumes/Deep"),
                   {"tree"},
                   56},
        VolumeCase{"aChainTwentyThousandDeep",
                   [](const SimMac& mac) { mac.deepTree(QStringLiteral("/Volumes/Deep/tree"), 20000); },
                   QStringLiteral("/Volumes/Deep"),
                   {"tree"},
                   201 * 7}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(NodeTreeOperator, InsertsEachNodeBeforeTheFirstThatIsNotLarger) {
    for (const bool sorted : {true, false}) {
        FileNodeList list;
        for (const quint64 size :
             sorted ? std::vector<quint64>{9, 5, 5, 0} : std::vector<quint64>{5, 9, 0, 5}) {
            list.push_back(node(QStringLiteral("/old%1").arg(list.size()), false, 1, size));
        }
        FileNodeList added;
        added.push_back(node(QStringLiteral("/new5"), false, 1, 5));
        added.push_back(node(QStringLiteral("/new0"), false, 1, 0));
        added.push_back(node(QStringLiteral("/new5b"), false, 1, 5));
        added.push_back(node(QStringLiteral("/new10"), false, 1, 10));
        NodeTreeOperator().fileInsertFatherWithRootArr(list, std::move(added));
        const QStringList expected =
            sorted ? QStringList({"new10", "old0", "new5b", "new5", "old1", "old2", "new0", "old3"})
                   : QStringList({"new10", "new5b", "new5", "old0", "old1", "new0", "old2", "old3"});
        EXPECT_EQ(names(list), expected) << "sorted: " << sorted;
    }
}

TEST(NodeTreeOperator, WalksWideTreesSideBySideIntoTheSameResult) {
    const SimMac mac;
    for (int i = 0; i < 12; ++i) {
        const QString folder = QStringLiteral("/Volumes/Top/Wide/d%1").arg(i);
        mac.file(folder + QStringLiteral("/f"), i);
        mac.file(folder + QStringLiteral("/sub/g"), 10 * i);
        mac.folder(folder + QStringLiteral("/sub/empty"));
    }
    auto top = node(QStringLiteral("/Volumes/Top"), true);
    NodeTreeOperator walker;
    const quint64 total = walker.getFileSizeWithPat(QStringLiteral("/Volumes/Top"), top.get(), 7);
    top->setSize(total - 7);
    EXPECT_EQ(total, 7 + 11 * 66U);
    expectSizedAndSorted(mac, *top);
    EXPECT_EQ(NodeTreeOperator::bytesBelow(QStringLiteral("/Volumes/Top")), 11 * 66U);

    auto stopped = node(QStringLiteral("/Volumes/Top"), true);
    walker.stopScan();
    EXPECT_EQ(walker.getFileSizeWithPat(QStringLiteral("/Volumes/Top"), stopped.get(), 0), 0U);
    EXPECT_TRUE(stopped->children().empty());
}

TEST(NodeTreeOperator, SizesTheItemItself) {
    const SimMac mac;
    mac.file(QStringLiteral("/f"), 123);
    mac.folder(QStringLiteral("/d"));
    mac.link(QStringLiteral("/l"), QStringLiteral("f"));
    EXPECT_EQ(NodeTreeOperator::getOneFileSizeWithPath(QStringLiteral("/f")), 123U);
    EXPECT_EQ(NodeTreeOperator::getOneFileSizeWithPath(QStringLiteral("/d")), 0U);
    EXPECT_EQ(NodeTreeOperator::getOneFileSizeWithPath(QStringLiteral("/l")), 1U)
        << "the link, not its target";
    EXPECT_EQ(NodeTreeOperator::getOneFileSizeWithPath(QStringLiteral("/missing")), 0U);
    EXPECT_EQ(NodeTreeOperator::pathInFolder(QStringLiteral("/"), QStringLiteral("a")), QStringLiteral("/a"));
    EXPECT_EQ(NodeTreeOperator::pathInFolder(QStringLiteral("/b"), QStringLiteral("a")),
              QStringLiteral("/b/a"));
}

class SizeSum : public testing::Test {
protected:
    void SetUp() override {
        mac.file(QStringLiteral("/Volumes/USB/root.txt"), 300);
        mac.file(QStringLiteral("/Volumes/USB/mixed/keep.bin"), 1000);
        mac.file(QStringLiteral("/Volumes/USB/mixed/skip.bin"), 5000);
        roots.push_back(node(QStringLiteral("/Volumes/USB/mixed"), true, 2));
        roots.push_back(node(QStringLiteral("/Volumes/USB/root.txt"), false, 1, 300));
        adopt(roots[0].get(), node(QStringLiteral("/Volumes/USB/mixed/keep.bin"), false, 1, 1000));
        adopt(roots[0].get(), node(QStringLiteral("/Volumes/USB/mixed/skip.bin"), false, 0, 5000));
    }

    std::vector<qint64> sum() {
        GetFilesSize summer;
        SizeRecorder recorder;
        summer.setDelegate(&recorder);
        summer.getAllFilesSizeWithArr(roots);
        EXPECT_TRUE(testsupport::waitUntil([&] { return !recorder.totals.empty(); }));
        drainBackground();
        EXPECT_TRUE(recorder.onMainThread);
        EXPECT_EQ(summer.allFileSize(), recorder.totals.empty() ? -1 : recorder.totals.back());
        return recorder.totals;
    }

    SimMac mac;
    FileNodeList roots;
};

TEST_F(SizeSum, CountsTheCheckedItemsOnce) {
    EXPECT_EQ(sum(), std::vector<qint64>{1300});
}

TEST_F(SizeSum, ACheckedFolderCountsWholeWhateverItsChildrenSay) {
    roots[0]->setState(1);
    EXPECT_EQ(sum(), std::vector<qint64>{6300});
    roots[0]->setState(0);
    roots[1]->setState(0);
    EXPECT_EQ(sum(), std::vector<qint64>{0});
}

TEST_F(SizeSum, SumsTheTreeAsItWasWhenItStarted) {
    GetFilesSize summer;
    SizeRecorder recorder;
    summer.setDelegate(&recorder);
    summer.getAllFilesSizeWithArr(roots);
    roots[0]->children().clear();
    roots[1]->setState(0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !recorder.totals.empty(); }));
    EXPECT_EQ(recorder.totals, std::vector<qint64>{1300});
}

TEST_F(SizeSum, ADestroyedSummerReportsNothing) {
    SizeRecorder recorder;
    {
        GetFilesSize summer;
        summer.setDelegate(&recorder);
        summer.getAllFilesSizeWithArr(roots);
    }
    drainBackground();
    EXPECT_TRUE(recorder.totals.empty());
}

TEST(SizeSumOnDisk, MatchesTheDeepScanAndDu) {
    const SimMac mac;
    makeDataVolume(mac);
    const quint64 expected = walkedBytes(mac.host(QStringLiteral("/Volumes/Data")));
    EXPECT_EQ(GetFilesSize::getFileSizeWithPat(QStringLiteral("/Volumes/Data"), 0), expected);
    EXPECT_EQ(GetFilesSize::getFileSizeWithPat(QStringLiteral("/Volumes/Data/link-to-docs"), 0), 4U);
    EXPECT_EQ(GetFilesSize::getFileSizeWithPat(QStringLiteral("/Volumes/Data/a.bin"), 0), 1000U);
    EXPECT_EQ(GetFilesSize::getFileSizeWithPat(QStringLiteral("/Volumes/Data/none"), 0), 0U);

    EumeRoot scanner;
    ScanRecorder recorder;
    const auto list = rootList();
    runShallowScan(scanner, recorder, list, QStringLiteral("/Volumes/Data"));
    GetFilesSize summer;
    SizeRecorder sizes;
    summer.setDelegate(&sizes);
    summer.getAllFilesSizeWithArr(*list);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !sizes.totals.empty(); }));
    EXPECT_EQ(sizes.totals, std::vector<qint64>{static_cast<qint64>(expected)});
}
