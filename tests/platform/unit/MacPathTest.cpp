#include "platform/FileSystem.h"
#include "platform/MacPath.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using platform::FileKind;
using platform::FileSystem;

TEST(MacPath, MapsIntoAndOutOfTheRoot) {
    testsupport::TempSimRoot root;
    EXPECT_EQ(platform::hostPath("/"), root.path());
    EXPECT_EQ(platform::hostPath("/Volumes/USB"), root.path() + "/Volumes/USB");
    EXPECT_EQ(platform::hostPath("/Volumes//USB/./a/../b/"), root.path() + "/Volumes/USB/b");
    EXPECT_EQ(platform::macPath(root.path()), "/");
    EXPECT_EQ(platform::macPath(root.path() + "/Volumes/USB"), "/Volumes/USB");
    EXPECT_FALSE(platform::macPath("/etc/passwd"));
    EXPECT_FALSE(platform::macPath(root.path() + "-other/x"));
}

// However TAVRUN_SIM_ROOT is written, paths map into the Mac and back, from the host path the mapping
// gives and from the one a file's canonical name gives.
struct RootRow {
    const char* name;
    std::function<QString(const QString& root)> spell;
};

void PrintTo(const RootRow& row, std::ostream* out) {
    *out << row.name;
}

class RootSpellings : public ::testing::TestWithParam<RootRow> {};

TEST_P(RootSpellings, MapBothWays) {
    testsupport::TempSimRoot root;
    root.writeFile("/Volumes/USB/f", "x");
    ASSERT_TRUE(QDir().mkpath(root.path() + "/sub"));
    const QString real = QFileInfo(root.path()).canonicalFilePath();
    testsupport::ScopedEnv spelled("TAVRUN_SIM_ROOT", GetParam().spell(root.path()));
    const auto host = platform::hostPath("/Volumes/USB/f");
    ASSERT_TRUE(host);
    EXPECT_TRUE(QFileInfo::exists(*host));
    EXPECT_EQ(platform::macPath(*host), "/Volumes/USB/f");
    EXPECT_EQ(platform::macPath(QFileInfo(*host).canonicalFilePath()), "/Volumes/USB/f");
    EXPECT_EQ(platform::macPath(real), "/");
    EXPECT_FALSE(platform::macPath(real + "-other/f"));
}

INSTANTIATE_TEST_SUITE_P(
    MacPath, RootSpellings,
    ::testing::Values(RootRow{"plain", [](const QString& r) { return r; }},
                      RootRow{"throughALink",
                              [](const QString& r) {
                                  EXPECT_TRUE(QFile::link(r, r + "/sub/self"));
                                  return r + "/sub/self";
                              }},
                      RootRow{"dotSlash", [](const QString& r) { return r + "/./"; }},
                      RootRow{"doubleSlash", [](const QString& r) { return "/" + r + "//"; }},
                      RootRow{"dotDot", [](const QString& r) { return r + "/sub/.."; }},
                      RootRow{"relative",
                              [](const QString& r) { return QDir::current().relativeFilePath(r); }}),
    [](const ::testing::TestParamInfo<RootRow>& row) { return std::string(row.param.name); });

TEST(MacPath, RefusesEscapesAndRelativePaths) {
    testsupport::TempSimRoot root;
    for (const char* escape :
         {"/..", "/../etc", "/Volumes/../../etc/passwd", "/a/b/../../../x", "relative/x", ""}) {
        EXPECT_FALSE(platform::hostPath(QString::fromUtf8(escape))) << escape;
    }
    EXPECT_FALSE(FileSystem::exists("/../"));
    EXPECT_FALSE(FileSystem::mkpath("/../escaped"));
    EXPECT_FALSE(QFileInfo::exists(root.path() + "/../escaped"));
}

TEST(MacPath, IsTheIdentityWithoutASimulatedRoot) {
    testsupport::ScopedEnv none("TAVRUN_SIM_ROOT", QString());
    EXPECT_EQ(platform::hostPath("/Volumes/USB"), "/Volumes/USB");
    EXPECT_EQ(platform::macPath("/tmp/x"), "/tmp/x");
}

TEST(FileSystem, ListsSortedWithHiddenEntriesAndKinds) {
    testsupport::TempSimRoot root;
    root.writeFile("/d/b.txt", "12345");
    root.writeFile("/d/.hidden", "");
    root.writeFile("/d/a/inner", "x");
    ASSERT_EQ(::symlink("b.txt", QFile::encodeName(root.host("/d/link")).constData()), 0);
    const auto entries = FileSystem::list("/d");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 4u);
    EXPECT_EQ((*entries)[0].name, ".hidden");
    EXPECT_EQ((*entries)[1].name, "a");
    EXPECT_EQ((*entries)[1].kind, FileKind::Directory);
    EXPECT_EQ((*entries)[2].name, "b.txt");
    EXPECT_EQ((*entries)[2].size, 5);
    EXPECT_EQ((*entries)[3].kind, FileKind::SymLink);
    EXPECT_FALSE(FileSystem::list("/missing"));
    root.writeFile("/.sim/state.plist", "");
    const auto top = FileSystem::list("/");
    ASSERT_TRUE(top);
    EXPECT_EQ(top->size(), 1u) << "the simulated Mac's own data is no file of it";
    EXPECT_FALSE(FileSystem::list("/d/b.txt"));
    EXPECT_EQ(FileSystem::fileSize("/d/b.txt"), 5);
    EXPECT_EQ(FileSystem::fileSize("/nope"), -1);
    EXPECT_TRUE(FileSystem::isSymLink("/d/link"));
    EXPECT_TRUE(FileSystem::isDirectory("/d/a"));
}

TEST(FileSystem, CanonicalPathsResolveLinksAndStayInsideTheMac) {
    testsupport::TempSimRoot root;
    ASSERT_TRUE(FileSystem::mkpath("/Users/ana"));
    ASSERT_TRUE(FileSystem::mkpath("/Volumes"));
    ASSERT_EQ(::symlink("..", QFile::encodeName(root.host("/Volumes/Macintosh HD")).constData()), 0);
    ASSERT_EQ(::symlink("/etc", QFile::encodeName(root.host("/Users/out")).constData()), 0);
    EXPECT_EQ(FileSystem::canonicalPath("/Volumes/Macintosh HD/Users/ana"), QStringLiteral("/Users/ana"));
    EXPECT_EQ(FileSystem::canonicalPath("/Volumes/Macintosh HD"), QStringLiteral("/"));
    EXPECT_FALSE(FileSystem::canonicalPath("/Users/out")) << "a link that leads out of the Mac";
    EXPECT_FALSE(FileSystem::canonicalPath("/Users/missing"));

    // An absolute target is a path of the simulated Mac, never one of the host.
    root.writeFile("/etc/passwd", "the Mac's own");
    ASSERT_EQ(::symlink("/etc/passwd", QFile::encodeName(root.host("/Users/passwd")).constData()), 0);
    ASSERT_EQ(::symlink("/Users/ana", QFile::encodeName(root.host("/Users/home")).constData()), 0);
    EXPECT_EQ(FileSystem::readAll("/Users/passwd"), "the Mac's own");
    EXPECT_EQ(FileSystem::canonicalPath("/Users/home"), QStringLiteral("/Users/ana"));
    EXPECT_TRUE(FileSystem::isDirectory("/Users/home"));
    EXPECT_EQ(FileSystem::canonicalPath("/Users/out"), QStringLiteral("/etc"));
}

TEST(FileSystem, CopiesTreesKeepingLinksModesAndTimes) {
    testsupport::TempSimRoot root;
    root.writeFile("/src/f.bin", QByteArray(300000, 'z'));
    root.writeFile("/src/sub/g", "g");
    ::chmod(QFile::encodeName(root.host("/src/f.bin")).constData(), 0751);
    ASSERT_EQ(::symlink("/etc/passwd", QFile::encodeName(root.host("/src/sub/outside")).constData()), 0);
    ASSERT_TRUE(FileSystem::copyItem("/src", "/dst"));
    EXPECT_EQ(FileSystem::readAll("/dst/f.bin"), QByteArray(300000, 'z'));
    EXPECT_EQ(FileSystem::info("/dst/f.bin").mode, 0751u);
    EXPECT_EQ(FileSystem::info("/dst/f.bin").modifiedSecs, FileSystem::info("/src/f.bin").modifiedSecs);
    EXPECT_TRUE(FileSystem::isSymLink("/dst/sub/outside"));
    EXPECT_EQ(QFileInfo(root.host("/dst/sub/outside")).symLinkTarget(), "/etc/passwd");
    EXPECT_FALSE(FileSystem::copyItem("/src", "/dst")) << "an existing destination is never overwritten";
}

TEST(FileSystem, FailedCopyLeavesNoFileUnderTheFinalName) {
    testsupport::TempSimRoot root;
    root.writeFile("/a.txt", "a");
    EXPECT_FALSE(FileSystem::copyFile("/a.txt", "/no/such/folder/a.txt"));
    EXPECT_FALSE(FileSystem::copyFile("/missing", "/b.txt"));
    EXPECT_FALSE(FileSystem::exists("/b.txt"));
    const auto entries = FileSystem::list("/");
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 1u) << "no partial file left behind";
}

TEST(FileSystem, RemovesTreesWithoutFollowingLinks) {
    testsupport::TempSimRoot root;
    root.writeFile("/keep/precious", "p");
    root.writeFile("/gone/x/y", "y");
    ASSERT_EQ(::symlink(QFile::encodeName(root.host("/keep")).constData(),
                        QFile::encodeName(root.host("/gone/link")).constData()),
              0);
    EXPECT_TRUE(FileSystem::remove("/gone"));
    EXPECT_FALSE(FileSystem::exists("/gone"));
    EXPECT_TRUE(FileSystem::exists("/keep/precious"));
    EXPECT_TRUE(FileSystem::remove("/never-was"));
}

TEST(FileSystem, AppendRefusesALinkAndWritesAtomically) {
    testsupport::TempSimRoot root;
    root.writeFile("/target", "t");
    ASSERT_EQ(::symlink(QFile::encodeName(root.host("/target")).constData(),
                        QFile::encodeName(root.host("/log.txt")).constData()),
              0);
    EXPECT_EQ(FileSystem::openForAppend("/log.txt"), nullptr);
    auto log = FileSystem::openForAppend("/real.txt");
    ASSERT_NE(log, nullptr);
    log->write("one\n");
    log.reset();
    FileSystem::openForAppend("/real.txt")->write("two\n");
    EXPECT_EQ(FileSystem::readAll("/real.txt"), "one\ntwo\n");
    EXPECT_TRUE(FileSystem::writeAtomically("/w.txt", "new"));
    EXPECT_EQ(FileSystem::readAll("/w.txt"), "new");
}

TEST(FileSystem, TrashStaysInsideTheSimulatedMac) {
    testsupport::TempSimRoot root;
    root.writeFile("/Volumes/USB/report.pdf", "a");
    root.writeFile("/Users/Shared/notes.txt", "b");
    root.writeFile("/Users/Shared/again/notes.txt", "c");
    ASSERT_TRUE(FileSystem::moveToTrash("/Volumes/USB/report.pdf"));
    EXPECT_FALSE(FileSystem::exists("/Volumes/USB/report.pdf"));
    const QString volumeTrash = "/Volumes/USB/.Trashes/" + QString::number(::geteuid());
    EXPECT_EQ(FileSystem::readAll(volumeTrash + "/report.pdf"), "a");

    ASSERT_TRUE(FileSystem::moveToTrash("/Users/Shared/notes.txt"));
    ASSERT_TRUE(FileSystem::moveToTrash("/Users/Shared/again/notes.txt"));
    const QString home = platform::homeFolder();
    EXPECT_EQ(FileSystem::readAll(home + "/.Trash/notes.txt"), "b");
    EXPECT_EQ(FileSystem::readAll(home + "/.Trash/notes.txt 1"), "c") << "a taken name is numbered";

    EXPECT_FALSE(FileSystem::moveToTrash("/Volumes/USB/missing"));
    EXPECT_FALSE(FileSystem::moveToTrash("/"));
    EXPECT_FALSE(FileSystem::moveToTrash("/../escape"));
}

namespace {

QStringList g_logged;

void keepMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    g_logged.append(message);
}

}  // namespace

TEST(FileSystem, AFailedCallLogsTheMacPathAndTheReason) {
    testsupport::TempSimRoot root;
    root.writeFile("/file.txt", "f");
    const struct {
        std::function<bool()> call;
        const char* logged;
    } rows[] = {
        {[] { return FileSystem::list("/gone").has_value(); },
         "cannot list /gone: No such file or directory"},
        {[] { return FileSystem::readAll("/file.txt/x").has_value(); },
         "cannot read /file.txt/x: Not a directory"},
        {[] { return FileSystem::rename("/gone", "/moved"); },
         "cannot rename /gone to /moved: No such file or directory"},
        {[] { return FileSystem::copyItem("/file.txt", "/file.txt"); },
         "cannot copy to /file.txt: File exists"},
        {[] { return FileSystem::mkpath("/file.txt/sub"); }, "/file.txt/sub: Not a directory"},
    };
    for (const auto& row : rows) {
        g_logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        const bool done = row.call();
        qInstallMessageHandler(previous);
        EXPECT_FALSE(done) << row.logged;
        EXPECT_TRUE(g_logged.join(u'\n').contains(QLatin1String(row.logged)))
            << g_logged.join(u'\n').toStdString();
    }
}
