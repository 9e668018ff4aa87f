#include "platform/Dispatch.h"
#include "services/files/DoCopyFiles.h"
#include "services/files/EumeRoot.h"

#include "tests/services/files/FileTreeSupport.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include <sys/stat.h>

using filetree::adopt;
using filetree::drainBackground;
using filetree::node;
using filetree::rootList;
using filetree::SimMac;

namespace {

const QString kDestination = QStringLiteral("/Volumes/USB/Tavrun(2024-05-01 09:30:00)");

// Every report in order: a percentage as its number, "path <source>", or "error".
struct CopyRecorder : DoCopyFilesDelegate {
    void topCopyProgress(float percent) override { record(QString::number(static_cast<double>(percent))); }
    void topCopyFilePath(const QString& path) override {
        record(QStringLiteral("path ") + path);
        if (onPath) {
            onPath(path);
        }
    }
    void copyFileError() override { record(QStringLiteral("error")); }

    void record(const QString& event) {
        events.append(event);
        onMainThread = onMainThread && platform::isMainThread();
    }

    QStringList events;
    bool onMainThread = true;
    std::function<void(const QString&)> onPath;
};

class CopyRun : public testing::Test {
protected:
    void SetUp() override { mac.folder(kDestination); }

    // A checked file of the source volume, made on disk.
    std::unique_ptr<FileNode> sourceFile(const QString& name, const QByteArray& content = "content") {
        const QString path = QStringLiteral("/Volumes/Source/") + name;
        mac.file(path, content);
        return node(path, false, 1, static_cast<quint64>(content.size()));
    }

    QStringList copy(const QString& destination = kDestination) {
        worker.setDelegate(&recorder);
        worker.doCopyFilesWithArr(roots, destination);
        drainBackground();
        EXPECT_TRUE(recorder.onMainThread);
        return recorder.events;
    }

    QStringList copied() const { return mac.tree(kDestination); }

    SimMac mac;
    FileNodeList roots;
    DoCopyFiles worker;
    CopyRecorder recorder;
};

QStringList withPaths(std::initializer_list<const char*> events) {
    QStringList result;
    for (const char* event : events) {
        const QString text = QString::fromUtf8(event);
        result.append(text.startsWith(QLatin1Char('/')) ? QStringLiteral("path ") + text : text);
    }
    return result;
}

}  // namespace

TEST_F(CopyRun, ThreeRootsReport5Then33And66And100) {
    roots.push_back(sourceFile(QStringLiteral("a.txt"), "alpha"));
    roots.push_back(sourceFile(QStringLiteral("b.txt")));
    roots.push_back(sourceFile(QStringLiteral("c.txt")));
    EXPECT_EQ(copy(), withPaths({"5", "/Volumes/Source/a.txt", "33", "/Volumes/Source/b.txt", "66",
                                 "/Volumes/Source/c.txt", "100"}));
    EXPECT_EQ(copied(), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(mac.read(kDestination + QStringLiteral("/a.txt")), "alpha");
}

TEST_F(CopyRun, FiftyRootsCountUpFromFiveAndUncheckedRootsStillReport) {
    QStringList expected{QStringLiteral("5")};
    for (int i = 0; i < 50; ++i) {
        roots.push_back(node(QStringLiteral("/Volumes/Source/f%1").arg(i), false, 0));
        expected.append(QString::number(std::max(5, 100 * (i + 1) / 50)));
    }
    EXPECT_EQ(copy().mid(0, 5), QStringList({"5", "5", "5", "6", "8"}));
    EXPECT_EQ(recorder.events, expected);
    EXPECT_TRUE(copied().isEmpty());
}

TEST_F(CopyRun, AnEmptyListReportsNothing) {
    EXPECT_TRUE(copy().isEmpty());
}

TEST_F(CopyRun, PartlyCheckedFoldersLeadToTheCheckedItemsOnly) {
    mac.file(QStringLiteral("/Volumes/Source/Users/alice/Documents/report.pdf"), 9);
    mac.file(QStringLiteral("/Volumes/Source/Users/alice/Documents/notes.txt"), 9);
    roots.push_back(node(QStringLiteral("/Volumes/Source/Users"), true, 2));
    FileNode* alice = adopt(roots[0].get(), node(QStringLiteral("/Volumes/Source/Users/alice"), true, 2));
    adopt(roots[0].get(), node(QStringLiteral("/Volumes/Source/Users/bob"), true, 0));
    FileNode* documents =
        adopt(alice, node(QStringLiteral("/Volumes/Source/Users/alice/Documents"), true, 2));
    adopt(alice, node(QStringLiteral("/Volumes/Source/Users/alice/Music"), true, 0));
    adopt(documents, node(QStringLiteral("/Volumes/Source/Users/alice/Documents/report.pdf"), false, 1));
    adopt(documents, node(QStringLiteral("/Volumes/Source/Users/alice/Documents/notes.txt"), false, 0));

    EXPECT_EQ(copy(), withPaths({"5", "/Volumes/Source/Users/alice/Documents/report.pdf", "100"}));
    EXPECT_EQ(copied(), QStringList({"Users", "Users/alice", "Users/alice/Documents",
                                     "Users/alice/Documents/report.pdf"}));
}

TEST_F(CopyRun, ACheckedFolderIsCopiedWholeWhateverItsChildrenSay) {
    mac.file(QStringLiteral("/Volumes/Source/Photos/1.jpg"), 5);
    mac.file(QStringLiteral("/Volumes/Source/Photos/trip/2.jpg"), 5);
    roots.push_back(node(QStringLiteral("/Volumes/Source/Photos"), true, 1));
    adopt(roots[0].get(), node(QStringLiteral("/Volumes/Source/Photos/1.jpg"), false, 0));
    copy();
    EXPECT_EQ(copied(), QStringList({"Photos", "Photos/1.jpg", "Photos/trip", "Photos/trip/2.jpg"}));
}

struct ClashCase {
    const char* name;
    std::vector<const char*> taken;
    const char* stored;
    friend void PrintTo(const ClashCase& row, std::ostream* out) { *out << row.name << " -> " << row.stored; }
};

class StoredName : public testing::TestWithParam<ClashCase> {};

TEST_P(StoredName, NumbersATakenNameFromOne) {
    const SimMac mac;
    mac.folder(QStringLiteral("/dest"));
    for (const char* taken : GetParam().taken) {
        mac.file(QStringLiteral("/dest/") + QString::fromUtf8(taken), 1);
    }
    const QString name = QString::fromUtf8(GetParam().name);
    EXPECT_EQ(DoCopyFiles::createFileWithPath(QStringLiteral("/dest"), name, name),
              QString::fromUtf8(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(
    Names, StoredName,
    testing::Values(
        ClashCase{"report.pdf", {}, "report.pdf"}, ClashCase{"report.pdf", {"report.pdf"}, "report 1.pdf"},
        ClashCase{"report.pdf", {"report.pdf", "report 1.pdf"}, "report 2.pdf"},
        ClashCase{"Photos", {"Photos"}, "Photos 1"},
        ClashCase{"archive.tar.gz", {"archive.tar.gz"}, "archive.tar 1.gz"},
        ClashCase{"README", {"README", "README 1"}, "README 2"}, ClashCase{"notes.", {"notes."}, "notes 1"},
        ClashCase{"odd. ", {"odd. "}, "odd 1"}, ClashCase{".bashrc", {".bashrc"}, ".bashrc 1"},
        ClashCase{".config.json", {".config.json"}, ".config 1.json"},
        ClashCase{"Report.PDF", {"report.pdf"}, "Report.PDF"},
        ClashCase{"Résumé 履歴書.txt", {"Résumé 履歴書.txt"}, "Résumé 履歴書 1.txt"},
        ClashCase{"a%2Fb%3.pdf", {"a%2Fb%3.pdf"}, "a%2Fb%3 1.pdf"}, ClashCase{"%1%2", {"%1%2"}, "%1%2 1"}),
    [](const auto& row) { return "case" + std::to_string(row.index); });

TEST_F(CopyRun, ATakenNameIsNumberedInTheRun) {
    mac.file(kDestination + QStringLiteral("/notes.txt"), 1);
    mac.file(kDestination + QStringLiteral("/notes 1.txt"), 1);
    mac.file(QStringLiteral("/Volumes/Source/one/notes.txt"), "first");
    mac.file(QStringLiteral("/Volumes/Source/two/notes.txt"), "second");
    roots.push_back(node(QStringLiteral("/Volumes/Source/one/notes.txt"), false));
    roots.push_back(node(QStringLiteral("/Volumes/Source/two/notes.txt"), false));
    EXPECT_EQ(copy().last(), QStringLiteral("100"));
    EXPECT_EQ(mac.read(kDestination + QStringLiteral("/notes 2.txt")), "first");
    EXPECT_EQ(mac.read(kDestination + QStringLiteral("/notes 3.txt")), "second");
}

TEST_F(CopyRun, ACancelFinishesTheItemBeingCopiedAndReportsNothingMore) {
    const QByteArray big(4 << 20, 'b');
    roots.push_back(sourceFile(QStringLiteral("a.txt")));
    roots.push_back(sourceFile(QStringLiteral("big.bin"), big));
    roots.push_back(sourceFile(QStringLiteral("c.txt")));
    recorder.onPath = [&](const QString& path) {
        if (path.endsWith(QStringLiteral("big.bin"))) {
            worker.setIsCancel(true);
        }
    };
    EXPECT_EQ(copy(), withPaths({"5", "/Volumes/Source/a.txt", "33", "/Volumes/Source/big.bin"}));
    EXPECT_TRUE(worker.isCancel());
    EXPECT_EQ(copied(), QStringList({"a.txt", "big.bin"}))
        << "nothing half-written under another name either";
    EXPECT_EQ(mac.read(kDestination + QStringLiteral("/big.bin")), big);
}

TEST_F(CopyRun, ACancelDuringTheLastItemHoldsBackThe100) {
    roots.push_back(sourceFile(QStringLiteral("a.txt")));
    roots.push_back(sourceFile(QStringLiteral("b.txt")));
    recorder.onPath = [&](const QString& path) {
        if (path.endsWith(QStringLiteral("b.txt"))) {
            worker.setIsCancel(true);
        }
    };
    EXPECT_EQ(copy(), withPaths({"5", "/Volumes/Source/a.txt", "50", "/Volumes/Source/b.txt"}));
    EXPECT_EQ(copied(), QStringList({"a.txt", "b.txt"}));
}

TEST_F(CopyRun, AnItemThatFailsTurnsTheFinal100IntoAnError) {
    roots.push_back(sourceFile(QStringLiteral("a.txt")));
    roots.push_back(node(QStringLiteral("/Volumes/Source/vanished.txt"), false));
    roots.push_back(sourceFile(QStringLiteral("c.txt")));
    EXPECT_EQ(copy(), withPaths({"5", "/Volumes/Source/a.txt", "33", "/Volumes/Source/vanished.txt", "66",
                                 "/Volumes/Source/c.txt", "error"}));
    EXPECT_EQ(copied(), QStringList({"a.txt", "c.txt"})) << "the others are still copied";
}

TEST_F(CopyRun, AMissingDestinationReportsOneErrorAndEndsTheRun) {
    roots.push_back(sourceFile(QStringLiteral("a.txt")));
    roots.push_back(sourceFile(QStringLiteral("b.txt")));
    EXPECT_EQ(copy(QStringLiteral("/Volumes/Gone/Tavrun(x)")),
              withPaths({"5", "/Volumes/Source/a.txt", "error"}));
    EXPECT_FALSE(mac.exists(QStringLiteral("/Volumes/Gone")));
}

TEST_F(CopyRun, AWholeVolumeCopyNeverCopiesTheDestinationIntoItself) {
    mac.file(QStringLiteral("/Applications/App/bin"), 10);
    mac.file(QStringLiteral("/Users/ana/Desktop/x.txt"), 1);
    mac.file(QStringLiteral("/Volumes/USB/old.txt"), 2);
    mac.file(QStringLiteral("/Volumes/Other/o.txt"), 3);
    const QString desktopCopy = QStringLiteral("/Users/ana/Desktop/Tavrun(2024-05-01 09:30:00)");
    for (const QString& destination : {kDestination, desktopCopy}) {
        const auto scanned = rootList();
        EumeRoot scanner;
        scanner.eumeAllRootFileNodeWithRootArr(scanned, QStringLiteral("/"));
        ASSERT_TRUE(testsupport::waitUntil([&] { return scanner.getProgress() >= 100.0F; }));
        mac.folder(destination);

        DoCopyFiles wholeVolume;
        CopyRecorder reports;
        wholeVolume.setDelegate(&reports);
        wholeVolume.doCopyFilesWithArr(*scanned, destination);
        drainBackground();
        EXPECT_EQ(reports.events.last(), QStringLiteral("100"));
        const QStringList files =
            mac.tree(destination).filter(QRegularExpression(QStringLiteral("\\.txt$|bin$")));
        EXPECT_EQ(files, QStringList({"Applications/App/bin", "Users/ana/Desktop/x.txt",
                                      "Volumes/Other/o.txt", "Volumes/USB/old.txt"}))
            << destination.toStdString();
        EXPECT_FALSE(mac.tree(destination).join(' ').contains(QStringLiteral("Tavrun(")));
        ASSERT_TRUE(QDir(mac.host(destination)).removeRecursively());
    }
}

// "/Volumes/Macintosh HD" leads to "/": the destination or a source named through it is still recognised.
TEST_F(CopyRun, ADestinationOrSourceNamedThroughALinkIsNeverCopiedIntoItself) {
    mac.link(QStringLiteral("/Volumes/Macintosh HD"), QStringLiteral(".."));
    mac.file(QStringLiteral("/Users/ana/Desktop/x.txt"), 1);
    const QString destination = QStringLiteral("/Users/ana/Desktop/Tavrun(2024-05-01 09:30:00)");
    for (const auto& [source, target] :
         {std::pair{QStringLiteral("/Users"), QStringLiteral("/Volumes/Macintosh HD") + destination},
          std::pair{QStringLiteral("/Volumes/Macintosh HD/Users"), destination}}) {
        mac.folder(destination);
        DoCopyFiles run;
        CopyRecorder reports;
        run.setDelegate(&reports);
        FileNodeList users;
        users.push_back(node(source, true));
        run.doCopyFilesWithArr(users, target);
        drainBackground();
        EXPECT_EQ(reports.events.last(), QStringLiteral("100")) << source.toStdString();
        EXPECT_EQ(mac.tree(destination).filter(QStringLiteral(".txt")),
                  QStringList{"Users/ana/Desktop/x.txt"});
        EXPECT_FALSE(mac.tree(destination).join(' ').contains(QStringLiteral("Tavrun(")));
        ASSERT_TRUE(QDir(mac.host(destination)).removeRecursively());
    }
}

TEST_F(CopyRun, ADestinationThatIsNoAbsoluteFolderIsAFailureAndCreatesNothing) {
    mac.file(QStringLiteral("/Volumes/Source/docs/a.txt"), 1);
    auto docs = node(QStringLiteral("/Volumes/Source/docs"), true, 2);
    adopt(docs.get(), node(QStringLiteral("/Volumes/Source/docs/a.txt"), false));
    roots.push_back(std::move(docs));
    EXPECT_EQ(copy(QString()), QStringList({"5", "error"}));
    EXPECT_FALSE(mac.exists(QStringLiteral("/docs")));
}

TEST_F(CopyRun, LinksAreCopiedAsLinksAndPipesAsPipes) {
    mac.file(QStringLiteral("/Volumes/Source/docs/a.txt"), 1);
    mac.link(QStringLiteral("/Volumes/Source/docs-link"), QStringLiteral("docs"));
    mac.link(QStringLiteral("/Volumes/Source/dangling"), QStringLiteral("nowhere"));
    mac.link(QStringLiteral("/Volumes/Source/tree/inner"), QStringLiteral("../docs"));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(mac.host(QStringLiteral("/Volumes/Source/tree/pipe"))).constData(), 0600),
        0);
    roots.push_back(node(QStringLiteral("/Volumes/Source/docs-link"), true));
    roots.push_back(node(QStringLiteral("/Volumes/Source/dangling"), false));
    roots.push_back(node(QStringLiteral("/Volumes/Source/tree"), true));
    EXPECT_EQ(copy().last(), QStringLiteral("100"));
    for (const char* name : {"/docs-link", "/dangling", "/tree/inner"}) {
        EXPECT_TRUE(mac.isLink(kDestination + QLatin1String(name))) << name;
    }
    EXPECT_EQ(QFileInfo(mac.host(kDestination + QStringLiteral("/docs-link"))).symLinkTarget(),
              mac.host(kDestination + QStringLiteral("/docs")))
        << "the link's own target, not a copy of what it points to";
    struct stat st {};
    ASSERT_EQ(
        ::lstat(QFile::encodeName(mac.host(kDestination + QStringLiteral("/tree/pipe"))).constData(), &st),
        0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(CopyRun, NamesBeyondAsciiAndOfTheLongestLengthAreCopied) {
    const QString wide = QString(80, QChar(0x00E9)) + QStringLiteral(" 履歴書.txt");
    const QString longest = QString(251, QLatin1Char('n')) + QStringLiteral(".txt");
    mac.file(QStringLiteral("/Volumes/Source/Résumé 履歴書/") + wide, "wide");
    roots.push_back(node(QStringLiteral("/Volumes/Source/Résumé 履歴書"), true, 2));
    adopt(roots[0].get(), node(QStringLiteral("/Volumes/Source/Résumé 履歴書/") + wide, false, 1));
    roots.push_back(sourceFile(longest));
    EXPECT_EQ(copy().last(), QStringLiteral("100"));
    EXPECT_EQ(mac.read(kDestination + QStringLiteral("/Résumé 履歴書/") + wide), "wide");
    EXPECT_TRUE(mac.exists(kDestination + QLatin1Char('/') + longest));
}

TEST_F(CopyRun, ATakenLongestNameThatCannotBeNumberedIsAFailure) {
    const QString longest = QString(251, QLatin1Char('n')) + QStringLiteral(".txt");
    mac.file(QStringLiteral("/Volumes/Source/one/") + longest, "one");
    mac.file(QStringLiteral("/Volumes/Source/two/") + longest, "two");
    roots.push_back(node(QStringLiteral("/Volumes/Source/one/") + longest, false));
    roots.push_back(node(QStringLiteral("/Volumes/Source/two/") + longest, false));
    EXPECT_EQ(copy().last(), QStringLiteral("error"));
    EXPECT_EQ(copied(), QStringList({longest})) << "no partial file left behind";
}

TEST_F(CopyRun, CopiesTheTreeAsItWasWhenItStarted) {
    mac.file(QStringLiteral("/Volumes/Source/dir/keep.txt"), 1);
    roots.push_back(node(QStringLiteral("/Volumes/Source/dir"), true, 2));
    adopt(roots[0].get(), node(QStringLiteral("/Volumes/Source/dir/keep.txt"), false, 1));
    roots.push_back(sourceFile(QStringLiteral("b.txt")));
    worker.setDelegate(&recorder);
    worker.doCopyFilesWithArr(roots, kDestination);
    roots[0]->children().clear();
    roots[1]->setState(0);
    drainBackground();
    EXPECT_EQ(copied(), QStringList({"b.txt", "dir", "dir/keep.txt"}));
}

TEST_F(CopyRun, ADestroyedWorkerReportsNothing) {
    roots.push_back(sourceFile(QStringLiteral("a.txt")));
    {
        DoCopyFiles shortLived;
        shortLived.setDelegate(&recorder);
        shortLived.doCopyFilesWithArr(roots, kDestination);
    }
    drainBackground();
    EXPECT_TRUE(recorder.events.isEmpty());
}
