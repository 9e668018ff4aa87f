#include "platform/FileSystem.h"
#include "services/files/FileNode.h"
#include "services/jobs/ImageFill.h"
#include "services/jobs/ItemNames.h"
#include "services/jobs/ItemWalk.h"
#include "services/jobs/MakeDmg.h"
#include "tests/services/jobs/e2e/JobsSupport.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::FileSystem;

unsigned modeOf(const QString& hostPath) {
    struct stat st {};
    return ::lstat(QFile::encodeName(hostPath).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(PrivateFolder, IsMadeForItsOwnerOnlyWithItsParents) {
    const testsupport::TempSimRoot mac;
    ASSERT_TRUE(FileSystem::makePrivateFolder("/tmp/a/com.Belmora.clone"));
    EXPECT_EQ(modeOf(mac.host("/tmp/a/com.Belmora.clone")), 0700U);
    QDir().mkpath(mac.host("/Tavrun_dmg"));
    ::chmod(QFile::encodeName(mac.host("/Tavrun_dmg")).constData(), 0777);
    EXPECT_TRUE(FileSystem::makePrivateFolder("/Tavrun_dmg")) << "a folder already there is reused";
    EXPECT_EQ(modeOf(mac.host("/Tavrun_dmg")), 0700U) << "and is no longer world-writable";
}

TEST(PrivateFolder, RefusesWhatStandsInTheWay) {
    const testsupport::TempSimRoot mac;
    mac.writeFile("/tmp/file", "x");
    EXPECT_FALSE(FileSystem::makePrivateFolder("/tmp/file"));
    QDir().mkpath(mac.host("/elsewhere"));
    ASSERT_TRUE(QFile::link(mac.host("/elsewhere"), mac.host("/tmp/link")));
    EXPECT_FALSE(FileSystem::makePrivateFolder("/tmp/link")) << "a link planted at the name is not followed";
    EXPECT_EQ(modeOf(mac.host("/elsewhere")), modeOf(mac.host("/tmp"))) << "nor is its target changed";
    EXPECT_FALSE(FileSystem::makePrivateFolder("/../outside"));
}

// The checked paths and the output steps zip is expected to print: one per file, one per entry below a
// checked folder; the children of a partly checked folder count by their own states.
TEST(ZipSelection, CountsTheEntriesBelowCheckedFolders) {
    const testsupport::TempSimRoot mac;
    mac.writeFile("/Volumes/Src/docs/a.txt", "a");
    mac.writeFile("/Volumes/Src/docs/deep/b.txt", "b");
    mac.writeFile("/Volumes/Src/mixed/keep.txt", "k");
    mac.writeFile("/Volumes/Src/mixed/skip.txt", "s");
    mac.writeFile("/Volumes/Src/one.txt", "1");

    FileNodeList roots;
    roots.push_back(std::make_unique<FileNode>("/Volumes/Src/docs", "docs", true, nullptr));
    auto mixed = std::make_unique<FileNode>("/Volumes/Src/mixed", "mixed", true, nullptr);
    mixed->setState(2);
    mixed->children().push_back(
        std::make_unique<FileNode>("/Volumes/Src/mixed/keep.txt", "keep.txt", false, mixed.get()));
    auto skip = std::make_unique<FileNode>("/Volumes/Src/mixed/skip.txt", "skip.txt", false, mixed.get());
    skip->setState(0);
    mixed->children().push_back(std::move(skip));
    roots.push_back(std::move(mixed));
    roots.push_back(std::make_unique<FileNode>("/Volumes/Src/one.txt", "one.txt", false, nullptr));

    const MakeDmg::ZipSelection selection = MakeDmg::getAllFileCount(roots);
    EXPECT_EQ(selection.paths,
              (QStringList{"/Volumes/Src/docs", "/Volumes/Src/mixed/keep.txt", "/Volumes/Src/one.txt"}));
    EXPECT_EQ(selection.count, 3U + 1U + 1U) << "a.txt, deep, deep/b.txt; keep.txt; one.txt";
    EXPECT_EQ(MakeDmg::getAllFileCountWithPath("/Volumes/Src/missing"), 0U);
}

}  // namespace

namespace {

// How a name's bytes read to people: valid UTF-8 as it is, every other byte escaped.
struct ReadableRow {
    const char* name;
    QByteArray bytes;
    QString readable;
};

void PrintTo(const ReadableRow& row, std::ostream* out) {
    *out << row.name;
}

class ReadablePath : public ::testing::TestWithParam<ReadableRow> {};

TEST_P(ReadablePath, ShowsEveryByteThatIsNotUtf8) {
    EXPECT_EQ(jobs::readablePath(GetParam().bytes.toStdString()), GetParam().readable);
}

INSTANTIATE_TEST_SUITE_P(
    ItemNames, ReadablePath,
    ::testing::Values(ReadableRow{"latin1", "/Src/caf\xe9.txt", "/Src/caf\\xE9.txt"},
                      ReadableRow{"replacementCharacter", "/Src/caf\xef\xbf\xbd.txt", "/Src/caf\uFFFD.txt"},
                      ReadableRow{"cutShort", "a\xc3", "a\\xC3"},
                      ReadableRow{"surrogate", "\xed\xa0\x80z", "\\xED\\xA0\\x80z"},
                      ReadableRow{"fourBytes", "\xf0\x9f\x93\x81 \xff", "\U0001F4C1 \\xFF"}),
    [](const auto& row) { return std::string(row.param.name); });

std::unique_ptr<FileNode> nativeNode(FileNode* father, const QByteArray& name, qint64 state) {
    auto node = std::make_unique<FileNode>(father, name.toStdString(), true);
    node->setState(state);
    return node;
}

// Only the checked items go to zip, and each whole path counts: a folder above one names it too.
TEST(ItemNames, NamesTheFirstCheckedItemNoArgumentCanCarry) {
    FileNodeList roots;
    roots.push_back(nativeNode(nullptr, "skipped\xe9", FileNode::kUnchecked));
    roots.push_back(nativeNode(nullptr, "fine", FileNode::kChecked));
    roots.push_back(nativeNode(nullptr, "caf\xe9", FileNode::kPartlyChecked));
    roots.back()->children().push_back(nativeNode(roots.back().get(), "inner", FileNode::kChecked));
    for (const auto& root : roots) {
        root->setPath("/Volumes/Src/" + root->name());
    }
    EXPECT_EQ(jobs::itemNoToolCanBeGiven(roots), "/Volumes/Src/caf\\xE9/inner");
    roots.pop_back();
    EXPECT_EQ(jobs::itemNoToolCanBeGiven(roots), QString());
}

// Counts what a walk meets, and the descriptors open at its deepest entry.
class Counter : public jobs::ItemWalk::Visitor {
public:
    int visit(const jobs::ItemWalk::Entry& /*entry*/) override {
        ++files;
        openAtTheBottom = std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                        std::filesystem::directory_iterator());
        return 0;
    }
    int enter(const jobs::ItemWalk::Entry& /*entry*/, platform::Folder& /*inner*/) override {
        ++entered;
        return 0;
    }
    int leave(platform::Folder& /*inner*/) override {
        ++left;
        return 0;
    }

    int files = 0;
    int entered = 0;
    int left = 0;
    long openAtTheBottom = 0;
};

// Deeper than any path can name and than a process may hold descriptors by default.
TEST(ItemWalk, CopiesAndWalksAChainDeeperThanAnyPath) {
    constexpr int kDepth = 2500;
    const testsupport::TempSimRoot mac;
    makeChain(mac.host("/Src/chain"), kDepth, "end.txt");
    QDir().mkpath(mac.host("/Image"));
    auto chain = std::make_unique<FileNode>("/Src/chain", "chain", true, nullptr);

    jobs::ImageFill fill(*platform::Folder::open("/Image", false), {});
    EXPECT_TRUE(fill.copy(*chain)) << fill.failure().left(200).toStdString();
    EXPECT_TRUE(fill.finish());
    Counter counter;
    jobs::ItemWalk walk(counter, {});
    auto image = platform::Folder::open("/Image", false);
    ASSERT_TRUE(image);
    EXPECT_TRUE(walk.walk(*image, "/Image", "chain")) << walk.failure().left(200).toStdString();
    EXPECT_EQ(counter.entered, kDepth + 1) << "the copy reaches the end of the chain";
    EXPECT_EQ(counter.left, kDepth + 1);
    EXPECT_EQ(counter.files, 1);
    EXPECT_LT(counter.openAtTheBottom, 100);
    removeChain(mac.host("/Src/chain"), "end.txt");
    removeChain(mac.host("/Image/chain"), "end.txt");
}

}  // namespace
