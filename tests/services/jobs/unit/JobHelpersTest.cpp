#include "platform/FileSystem.h"
#include "services/files/FileNode.h"
#include "services/jobs/MakeDmg.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

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
