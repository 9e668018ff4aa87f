#include "platform/Dispatch.h"
#include "services/files/DoCopyFiles.h"
#include "services/files/EumeRoot.h"

#include "tests/services/files/FileTreeSupport.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using filetree::adopt;
using filetree::drainBackground;
using filetree::node;
using filetree::SimMac;

namespace {

const QString kSource = QStringLiteral("/Volumes/Source");
const QString kCopy = QStringLiteral("/Volumes/USB/Tavrun(2024-05-01 09:30:00)");

// What an engine made of a tree: its reports in order ("5", "path …", "100", "error"), the failures it
// named, and whether its thread had stopped when the last word came.
struct Outcome {
    QStringList events;
    std::vector<DoCopyFiles::Failure> failures;
    bool stopped = false;
};

struct Reports : DoCopyFilesDelegate {
    void topCopyProgress(float percent) override {
        events.append(QString::number(static_cast<double>(percent)));
    }
    void topCopyFilePath(const QString& path) override { events.append(QStringLiteral("path ") + path); }
    void copyFileError() override { events.append(QStringLiteral("error")); }
    void copyStopped() override { stopped = true; }
    QStringList events;
    bool stopped = false;
};

// One hostile tree given to an engine. `prepare` makes it on the simulated Mac and chooses the nodes; `road`
// runs the engine on them (the copy here; the image and archive roads take the same rows); `gate` is called
// on the engine's thread before each item and file; `asUser` runs the row as a user who is not root.
struct HostileCase {
    const char* name;
    std::function<FileNodeList(const SimMac&)> prepare;
    const char* last;  // how the run ends: "100" or "error"
    std::function<void(const SimMac&, const Outcome&)> check;
    bool asUser = false;
    std::function<void(const SimMac&, DoCopyFiles&, const QString&)> gate = {};
    std::function<Outcome(const SimMac&, const FileNodeList&, const HostileCase&)> road = {};
    friend void PrintTo(const HostileCase& row, std::ostream* out) { *out << row.name; }
};

Outcome copyRoad(const SimMac& mac, const FileNodeList& roots, const HostileCase& row) {
    mac.folder(kCopy);
    DoCopyFiles worker;
    Reports reports;
    worker.setDelegate(&reports);
    if (row.gate) {
        worker.setGate([&](const QString& path) { row.gate(mac, worker, path); });
    }
    worker.doCopyFilesWithArr(roots, kCopy);
    EXPECT_TRUE(testsupport::waitUntil([&] { return reports.stopped; }, 120000)) << "the copy never stopped";
    drainBackground();
    EXPECT_FALSE(worker.isRunning());
    return {reports.events, worker.failures(), reports.stopped};
}

// The roots a shallow scan makes of a folder, as the screen copies a whole source.
FileNodeList scanned(const QString& folder) {
    struct End : EumeRootDelegate {
        void endScan() override { ended = true; }
        bool ended = false;
    } end;
    EumeRoot scanner;
    scanner.setEumeDelegate(&end);
    auto roots = filetree::rootList();
    scanner.eumeAllRootFileNodeWithRootArr(roots, folder);
    EXPECT_TRUE(testsupport::waitUntil([&] { return end.ended; })) << "the scan never ended";
    return std::move(*roots);
}

FileNodeList one(std::unique_ptr<FileNode> item) {
    FileNodeList list;
    list.push_back(std::move(item));
    return list;
}

void setMode(const SimMac& mac, const QString& macPath, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(mac.host(macPath)).constData(), mode), 0) << macPath.toStdString();
}

QStringList failedPaths(const Outcome& outcome) {
    QStringList paths;
    for (const auto& failure : outcome.failures) {
        paths.append(failure.path + QStringLiteral(": ") + failure.reason);
    }
    return paths;
}

QByteArray du(const SimMac& mac, const QString& macPath) {
    QProcess process;
    process.start(QStringLiteral("du"), {QStringLiteral("-sb"), mac.host(macPath)});
    EXPECT_TRUE(process.waitForFinished(-1));
    return process.readAllStandardOutput().split('\t').front();
}

// A file whose name below a folder is given as raw bytes, which no QString carries unchanged.
QByteArray rawPath(const SimMac& mac, const QString& folder, const char* name) {
    return QFile::encodeName(mac.host(folder)) + '/' + name;
}

void rawFile(const SimMac& mac, const QString& folder, const char* name, const QByteArray& content) {
    mac.folder(folder);
    const int fd = ::open(rawPath(mac, folder, name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_EQ(::write(fd, content.constData(), static_cast<size_t>(content.size())), content.size()) << name;
    ::close(fd);
}

QByteArray rawRead(const SimMac& mac, const QString& folder, const char* name) {
    QFile in;
    const int fd = ::open(rawPath(mac, folder, name).constData(), O_RDONLY);
    return fd >= 0 && in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? in.readAll()
                                                                                     : QByteArray();
}

// Runs the row again in a process of its own as the user "nobody": root reads what nobody else may.
void runAsUser(const testing::TestInfo& test) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QStringLiteral("setpriv"),
        {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
         QStringLiteral("--"), QCoreApplication::applicationFilePath(),
         QStringLiteral("--gtest_filter=%1.%2").arg(test.test_suite_name(), test.name())});
    if (!child.waitForStarted()) {
        GTEST_SKIP() << "no unprivileged user here: setpriv cannot start";
    }
    ASSERT_TRUE(child.waitForFinished(120000)) << "the row run as nobody did not end within two minutes";
    const QByteArray output = child.readAll();
    if (output.contains("setpriv: ")) {
        GTEST_SKIP() << "the machine lets no process drop to nobody: " << output.toStdString();
    }
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

class HostileTree : public testing::TestWithParam<HostileCase> {};

}  // namespace

TEST_P(HostileTree, EveryItemIsExactOrTheRunFailsNamingIt) {
    const HostileCase& row = GetParam();
    if (row.asUser && ::geteuid() == 0) {
        runAsUser(*testing::UnitTest::GetInstance()->current_test_info());
        return;
    }
    const SimMac mac;
    const FileNodeList roots = row.prepare(mac);
    const Outcome outcome = (row.road ? row.road : copyRoad)(mac, roots, row);
    ASSERT_FALSE(outcome.events.isEmpty());
    EXPECT_EQ(outcome.events.last(), QLatin1String(row.last)) << outcome.events.join(' ').toStdString();
    EXPECT_TRUE(outcome.stopped);
    row.check(mac, outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Copy, HostileTree,
    testing::Values(
        HostileCase{"aFolderListedButNotEnteredFailsNamingWhatItHolds",
                    [](const SimMac& mac) {
                        mac.file(kSource + QStringLiteral("/docs/locked/a.txt"), "secret");
                        mac.file(kSource + QStringLiteral("/docs/b.txt"), "b");
                        setMode(mac, kSource + QStringLiteral("/docs/locked"), 0644);
                        return one(node(kSource + QStringLiteral("/docs"), true));
                    },
                    "error",
                    [](const SimMac& mac, const Outcome& outcome) {
                        setMode(mac, kSource + QStringLiteral("/docs/locked"), 0755);
                        setMode(mac, kCopy + QStringLiteral("/docs/locked"), 0755);
                        EXPECT_EQ(
                            failedPaths(outcome),
                            QStringList{kSource + QStringLiteral("/docs/locked/a.txt: Permission denied")});
                        EXPECT_EQ(mac.read(kCopy + QStringLiteral("/docs/b.txt")), "b");
                        EXPECT_FALSE(mac.exists(kCopy + QStringLiteral("/docs/locked/a.txt")))
                            << "no empty stand-in of mode 0000";
                    },
                    true},
        HostileCase{"aFileThatCannotBeReadFailsNamingWhy",
                    [](const SimMac& mac) {
                        mac.file(kSource + QStringLiteral("/docs/secret.txt"), "secret");
                        setMode(mac, kSource + QStringLiteral("/docs/secret.txt"), 0);
                        return one(node(kSource + QStringLiteral("/docs"), true));
                    },
                    "error",
                    [](const SimMac& mac, const Outcome& outcome) {
                        EXPECT_EQ(
                            failedPaths(outcome),
                            QStringList{kSource + QStringLiteral("/docs/secret.txt: Permission denied")});
                        EXPECT_FALSE(mac.exists(kCopy + QStringLiteral("/docs/secret.txt")));
                    },
                    true},
        HostileCase{"aChosenItemThatHasGoneFailsNamingIt",
                    [](const SimMac& mac) {
                        mac.folder(kSource);
                        return one(node(kSource + QStringLiteral("/gone.txt"), false));
                    },
                    "error",
                    [](const SimMac&, const Outcome& outcome) {
                        EXPECT_EQ(
                            failedPaths(outcome),
                            QStringList{kSource + QStringLiteral("/gone.txt: No such file or directory")});
                    }},
        HostileCase{"anEntryThatVanishesMeanwhileIsLeftOut",
                    [](const SimMac& mac) {
                        mac.file(kSource + QStringLiteral("/docs/a.txt"), "a");
                        mac.file(kSource + QStringLiteral("/docs/b.txt"), "b");
                        return one(node(kSource + QStringLiteral("/docs"), true));
                    },
                    "100",
                    [](const SimMac& mac, const Outcome& outcome) {
                        EXPECT_TRUE(outcome.failures.empty());
                        EXPECT_EQ(mac.tree(kCopy).size(), 2) << mac.tree(kCopy).join(' ').toStdString();
                    },
                    false,
                    [](const SimMac& mac, DoCopyFiles&, const QString& path) {
                        // The first file of the folder to come takes the other away.
                        const QString other = path.endsWith(QStringLiteral("a.txt"))
                                                  ? QStringLiteral("/docs/b.txt")
                                                  : QStringLiteral("/docs/a.txt");
                        if (path.contains(QStringLiteral(".txt"))) {
                            ::unlink(QFile::encodeName(mac.host(kSource + other)).constData());
                        }
                    }},
        HostileCase{"namesKeepTheirBytesFromTheListingToTheCopy",
                    [](const SimMac& mac) {
                        rawFile(mac, kSource, "caf\xe9.txt", "latin");
                        rawFile(mac, kSource, "caf\xef\xbf\xbd.txt", "replacement");
                        ::mkdir(rawPath(mac, kSource, "d\xe9").constData(), 0755);
                        rawFile(mac, kSource, "d\xe9/x.txt", "x");
                        FileNodeList roots = scanned(kSource);
                        for (const auto& root : roots) {
                            if (root->isDirectory()) {
                                root->setState(FileNode::kPartlyChecked);
                                root->children().push_back(
                                    std::make_unique<FileNode>(root.get(), "x.txt", false));
                            }
                        }
                        return roots;
                    },
                    "100",
                    [](const SimMac& mac, const Outcome&) {
                        EXPECT_EQ(rawRead(mac, kCopy, "caf\xe9.txt"), "latin");
                        EXPECT_EQ(rawRead(mac, kCopy, "caf\xef\xbf\xbd.txt"), "replacement");
                        EXPECT_EQ(rawRead(mac, kCopy, "d\xe9/x.txt"), "x");
                    }},
        HostileCase{"aLinkIsOneItemAndNeverBringsInAnotherDisk",
                    [](const SimMac& mac) {
                        mac.file(QStringLiteral("/Users/ana/private.txt"), "startup disk");
                        mac.link(kSource + QStringLiteral("/everything"), QStringLiteral("/"));
                        mac.file(kSource + QStringLiteral("/notes.txt"), "n");
                        FileNodeList roots = scanned(kSource);
                        // A tree made before the link replaced a folder still shows it partly checked.
                        auto stale =
                            node(kSource + QStringLiteral("/everything"), true, FileNode::kPartlyChecked);
                        adopt(stale.get(), node(kSource + QStringLiteral("/everything/Users"), true));
                        roots.push_back(std::move(stale));
                        return roots;
                    },
                    "100",
                    [](const SimMac& mac, const Outcome&) {
                        EXPECT_TRUE(mac.isLink(kCopy + QStringLiteral("/everything")));
                        EXPECT_TRUE(mac.isLink(kCopy + QStringLiteral("/everything 1")));
                        EXPECT_FALSE(mac.tree(kCopy).join(' ').contains(QStringLiteral("private")));
                    }},
        HostileCase{"aCancelStopsAFolderCopiedWholeBeforeItsNextFile",
                    [](const SimMac& mac) {
                        for (int i = 0; i < 50; ++i) {
                            mac.file(kSource + QStringLiteral("/docs/f%1").arg(i, 2, 10, QLatin1Char('0')),
                                     "f");
                        }
                        return one(node(kSource + QStringLiteral("/docs"), true));
                    },
                    "path /Volumes/Source/docs",
                    [](const SimMac& mac, const Outcome& outcome) {
                        EXPECT_TRUE(outcome.failures.empty()) << "a cancel is no failure";
                        EXPECT_FALSE(mac.exists(kCopy + QStringLiteral("/docs/f02")));
                        EXPECT_LT(mac.tree(kCopy).size(), 50);
                    },
                    false,
                    [](const SimMac&, DoCopyFiles& worker, const QString& path) {
                        if (path.endsWith(QStringLiteral("f02"))) {
                            worker.setIsCancel(true);
                        }
                    }},
        HostileCase{"aChainTenThousandDeepIsCopiedWhole",
                    [](const SimMac& mac) {
                        mac.deepTree(kSource + QStringLiteral("/deep"), 10000);
                        return one(node(kSource + QStringLiteral("/deep"), true));
                    },
                    "100",
                    [](const SimMac& mac, const Outcome&) {
                        EXPECT_EQ(du(mac, kCopy + QStringLiteral("/deep")),
                                  du(mac, kSource + QStringLiteral("/deep")));
                    }}),
    [](const auto& row) { return std::string(row.param.name); });
