#include "platform/Dispatch.h"
#include "services/files/DoCopyFiles.h"
#include "services/files/EumeRoot.h"

#include "tests/services/files/FileTreeSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

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

TEST_F(CopyRun, ACancelStopsTheItemBeingCopiedLeavesNoPartOfItAndReportsNothingMore) {
    const QByteArray big(20 << 20, 'b');
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
    EXPECT_EQ(copied(), QStringList({"a.txt"})) << "nothing half-written under any name";
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
    EXPECT_EQ(copied(), QStringList({"a.txt"}));
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

// "/Volumes" and "/System/Volumes" hold other volumes, and the simulated Mac's own ".sim" is none of its
// files.
TEST_F(CopyRun, AWholeVolumeCopyHoldsTheVolumesOwnFilesAndNeverItself) {
    mac.file(QStringLiteral("/Applications/App/bin"), 10);
    mac.file(QStringLiteral("/Users/ana/Desktop/x.txt"), 1);
    mac.file(QStringLiteral("/Volumes/USB/old.txt"), 2);
    mac.file(QStringLiteral("/Volumes/Other/o.txt"), 3);
    mac.file(QStringLiteral("/System/Volumes/Data/d.txt"), 4);
    mac.file(QStringLiteral("/.sim/calls.log"), 5);
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
            mac.tree(destination).filter(QRegularExpression(QStringLiteral("\\.txt$|bin$|\\.log$")));
        EXPECT_EQ(files, QStringList({"Applications/App/bin", "Users/ana/Desktop/x.txt"}))
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

namespace {

constexpr time_t kOld = 978307200;  // 2001-01-01

void setOld(const SimMac& mac, const QString& macPath) {
    const struct timespec times[2] = {{kOld, 0}, {kOld, 0}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(mac.host(macPath)).constData(), times, AT_SYMLINK_NOFOLLOW),
        0);
}

void setAttribute(const SimMac& mac, const QString& macPath, const char* value) {
    ASSERT_EQ(::setxattr(QFile::encodeName(mac.host(macPath)).constData(), "user.tavrun", value,
                         std::strlen(value), 0),
              0);
}

QByteArray attribute(const SimMac& mac, const QString& macPath) {
    std::array<char, 64> value{};
    const ssize_t n = ::getxattr(QFile::encodeName(mac.host(macPath)).constData(), "user.tavrun",
                                 value.data(), value.size());
    return n < 0 ? QByteArray() : QByteArray(value.data(), n);
}

QByteArray du(const SimMac& mac, const QString& macPath) {
    QProcess process;
    process.start(QStringLiteral("du"), {QStringLiteral("-sb"), mac.host(macPath)});
    EXPECT_TRUE(process.waitForFinished(-1));
    return process.readAllStandardOutput().split('\t').front();
}

FileNodeList one(std::unique_ptr<FileNode> node) {
    FileNodeList list;
    list.push_back(std::move(node));
    return list;
}

const QString kInsideAna = QStringLiteral("/Users/ana/Desktop/Tavrun(2024-05-01 09:30:00)");

struct KeepCase {
    const char* name;
    std::function<FileNodeList(const SimMac&)> prepare;  // the source, and the nodes to copy
    QString destination;
    const char* last;
    std::function<void(const SimMac&)> check;
    friend void PrintTo(const KeepCase& row, std::ostream* out) { *out << row.name; }
};

class CopyKeeps : public testing::TestWithParam<KeepCase> {};

}  // namespace

TEST_P(CopyKeeps, WhatTheCopyHoldsAndHowTheRunEnds) {
    const SimMac mac;
    const FileNodeList roots = GetParam().prepare(mac);
    mac.folder(GetParam().destination);
    DoCopyFiles worker;
    CopyRecorder recorder;
    worker.setDelegate(&recorder);
    worker.doCopyFilesWithArr(roots, GetParam().destination);
    drainBackground();
    ASSERT_FALSE(recorder.events.isEmpty());
    EXPECT_EQ(recorder.events.last(), QLatin1String(GetParam().last));
    GetParam().check(mac);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CopyKeeps,
    testing::Values(
        KeepCase{"aCheckedFolderIntoItselfFails",
                 [](const SimMac& mac) {
                     mac.file(QStringLiteral("/Volumes/Source/docs/a.txt"), 1);
                     return one(node(QStringLiteral("/Volumes/Source/docs"), true));
                 },
                 QStringLiteral("/Volumes/Source/docs"), "error",
                 [](const SimMac& mac) {
                     EXPECT_EQ(mac.tree(QStringLiteral("/Volumes/Source/docs")), QStringList{"a.txt"});
                 }},
        KeepCase{
            "aLinkAtARecreatedFoldersNameIsNeverFollowed",
            [](const SimMac& mac) {
                mac.file(QStringLiteral("/Volumes/Source/docs/a.txt"), 1);
                mac.folder(QStringLiteral("/Volumes/Elsewhere"));
                mac.link(kDestination + QStringLiteral("/docs"), QStringLiteral("../../Elsewhere"));
                auto docs = node(QStringLiteral("/Volumes/Source/docs"), true, 2);
                adopt(docs.get(), node(QStringLiteral("/Volumes/Source/docs/a.txt"), false));
                return one(std::move(docs));
            },
            kDestination, "error",
            [](const SimMac& mac) { EXPECT_TRUE(mac.tree(QStringLiteral("/Volumes/Elsewhere")).isEmpty()); }},
        KeepCase{"foldersOnTheWayToTheDestinationKeepTheirModeAndTimes",
                 [](const SimMac& mac) {
                     mac.file(QStringLiteral("/Users/ana/Desktop/x.txt"), 1);
                     ::chmod(QFile::encodeName(mac.host(QStringLiteral("/Users/ana"))).constData(), 0700);
                     setOld(mac, QStringLiteral("/Users/ana"));
                     return one(node(QStringLiteral("/Users"), true));
                 },
                 kInsideAna, "100",
                 [](const SimMac& mac) {
                     const struct stat st = mac.stat(kInsideAna + QStringLiteral("/Users/ana"));
                     EXPECT_EQ(st.st_mode & 07777, 0700U);
                     EXPECT_EQ(st.st_mtim.tv_sec, kOld);
                     EXPECT_TRUE(mac.exists(kInsideAna + QStringLiteral("/Users/ana/Desktop/x.txt")));
                     EXPECT_FALSE(mac.exists(
                         kInsideAna + QStringLiteral("/Users/ana/Desktop/Tavrun(2024-05-01 09:30:00)")));
                 }},
        KeepCase{"aRecreatedFolderIsNoWiderThanItsSource",
                 [](const SimMac& mac) {
                     mac.file(QStringLiteral("/Users/ana/secret.txt"), 1);
                     ::chmod(QFile::encodeName(mac.host(QStringLiteral("/Users/ana"))).constData(), 0700);
                     auto ana = node(QStringLiteral("/Users/ana"), true, 2);
                     adopt(ana.get(), node(QStringLiteral("/Users/ana/secret.txt"), false));
                     return one(std::move(ana));
                 },
                 kDestination, "100",
                 [](const SimMac& mac) {
                     EXPECT_EQ(mac.stat(kDestination + QStringLiteral("/ana")).st_mode & 07777, 0700U);
                 }},
        KeepCase{"aTreeDeeperThanAPathMayBeLongIsCopiedWhole",
                 [](const SimMac& mac) {
                     mac.deepTree(QStringLiteral("/Volumes/Source/deep"), 700);
                     return one(node(QStringLiteral("/Volumes/Source/deep"), true));
                 },
                 kDestination, "100",
                 [](const SimMac& mac) {
                     EXPECT_EQ(du(mac, kDestination + QStringLiteral("/deep")),
                               du(mac, QStringLiteral("/Volumes/Source/deep")));
                 }},
        KeepCase{"anotherVolumeMountedInsideStaysOut",
                 [](const SimMac& mac) {
                     mac.file(QStringLiteral("/Users/ana/notes.txt"), 1);
                     mac.file(QStringLiteral("/Users/ana/Net/remote.txt"), 1);
                     mac.mounted({QStringLiteral("/"), QStringLiteral("/Users/ana/Net")});
                     return one(node(QStringLiteral("/Users/ana"), true));
                 },
                 kDestination, "100",
                 [](const SimMac& mac) {
                     EXPECT_EQ(mac.tree(kDestination), QStringList({"ana", "ana/notes.txt"}));
                 }},
        KeepCase{"extendedAttributesOfFilesAndFolders",
                 [](const SimMac& mac) {
                     mac.file(QStringLiteral("/Volumes/Source/tagged/a.txt"), 1);
                     setAttribute(mac, QStringLiteral("/Volumes/Source/tagged/a.txt"), "red");
                     setAttribute(mac, QStringLiteral("/Volumes/Source/tagged"), "blue");
                     return one(node(QStringLiteral("/Volumes/Source/tagged"), true));
                 },
                 kDestination, "100",
                 [](const SimMac& mac) {
                     EXPECT_EQ(attribute(mac, kDestination + QStringLiteral("/tagged/a.txt")), "red");
                     EXPECT_EQ(attribute(mac, kDestination + QStringLiteral("/tagged")), "blue");
                 }},
        KeepCase{"aSparseFileStaysSparse",
                 [](const SimMac& mac) {
                     mac.folder(QStringLiteral("/Volumes/Source"));
                     const int fd = ::open(
                         QFile::encodeName(mac.host(QStringLiteral("/Volumes/Source/disk.img"))).constData(),
                         O_WRONLY | O_CREAT, 0644);
                     EXPECT_EQ(::pwrite(fd, QByteArray(4096, 'd').constData(), 4096, off_t{1} << 20), 4096);
                     EXPECT_EQ(::ftruncate(fd, off_t{64} << 20), 0);
                     ::close(fd);
                     return one(node(QStringLiteral("/Volumes/Source/disk.img"), false));
                 },
                 kDestination, "100",
                 [](const SimMac& mac) {
                     const struct stat st = mac.stat(kDestination + QStringLiteral("/disk.img"));
                     EXPECT_EQ(st.st_size, off_t{64} << 20);
                     EXPECT_LE(st.st_blocks * 512, 1 << 20) << "the holes stay holes";
                     QFile copy(mac.host(kDestination + QStringLiteral("/disk.img")));
                     ASSERT_TRUE(copy.open(QIODevice::ReadOnly) && copy.seek(1 << 20));
                     EXPECT_EQ(copy.read(4097), QByteArray(4096, 'd') + '\0');
                 }},
        KeepCase{"aLinkKeepsItsOwnTimes",
                 [](const SimMac& mac) {
                     mac.link(QStringLiteral("/Volumes/Source/link"), QStringLiteral("target"));
                     setOld(mac, QStringLiteral("/Volumes/Source/link"));
                     return one(node(QStringLiteral("/Volumes/Source/link"), false));
                 },
                 kDestination, "100",
                 [](const SimMac& mac) {
                     EXPECT_EQ(mac.stat(kDestination + QStringLiteral("/link")).st_mtim.tv_sec, kOld);
                 }}),
    [](const auto& row) { return std::string(row.param.name); });
