#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

void writeFile(const QString& hostPath, const QByteArray& content) {
    QDir().mkpath(QFileInfo(hostPath).path());
    QFile file(hostPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(Wrappers, ZipStoresEntriesRelativeToTheRootAndPassesItsOutputThrough) {
    SimMac mac;
    mac.attach("usb-exfat", {"--name", "Src"});
    writeFile(mac.host("/Volumes/Src/text.txt"), QByteArray(4000, 'a'));
    const ToolRun result = mac.run(
        "/usr/bin/zip", {"-r", "/Users/Tavrun(1).zip", "/Volumes/Src/text.txt", "/Volumes/Src/Photos"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("  adding: Volumes/Src/text.txt (deflated")) << result.out.toStdString();
    QProcess unzip;
    unzip.start("/usr/bin/unzip", {"-Z1", mac.host("/Users/Tavrun(1).zip")});
    unzip.waitForFinished();
    const QStringList entries =
        QString::fromUtf8(unzip.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(entries.contains("Volumes/Src/text.txt"));
    EXPECT_TRUE(entries.contains("Volumes/Src/Photos/IMG_0001.JPG"));
    EXPECT_EQ(mac.run("/usr/bin/zip", {"-r", "/Users/none.zip", "/Volumes/Src/missing"}).exitCode, 12)
        << "zip's own status comes back";
}

TEST(Wrappers, CpAndChmodWorkOnMappedPaths) {
    SimMac mac;
    mac.attach("usb-exfat");
    const ToolRun cp = mac.run("/bin/cp", {"-av", "/Users", "/Volumes/USB/Backup"});
    EXPECT_EQ(cp.exitCode, 0);
    EXPECT_TRUE(cp.out.contains(" -> '" + mac.host("/Volumes/USB/Backup").toUtf8() + "'"));
    EXPECT_TRUE(QFileInfo(mac.host("/Volumes/USB/Backup/Shared")).isDir());
    const ToolRun missing = mac.run("/bin/cp", {"/nope", "/Volumes/USB/x"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("No such file or directory"));
    QDir().mkpath(mac.host("/Tavrun_dmg"));
    EXPECT_EQ(mac.run("/bin/chmod", {"-R", "777", "/Tavrun_dmg"}).exitCode, 0);
    EXPECT_EQ(QFileInfo(mac.host("/Tavrun_dmg")).permissions() & QFile::WriteOther, QFile::WriteOther);
}

TEST(Wrappers, PathsLeadingOutOfTheSimulatedMacAreRefused) {
    SimMac mac;
    ASSERT_TRUE(QFile::link("/etc", mac.host("/Users/etc-link")));
    for (const QStringList& args :
         {QStringList{"/../etc/hostname", "/Users/x"}, QStringList{"/Users/etc-link/hostname", "/Users/y"},
          QStringList{"/Users/notes", "/Users/etc-link/planted"}}) {
        const ToolRun result = mac.run("/bin/cp", args);
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains("leads out of the simulated Mac")) << result.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists("/etc/planted"));
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Users/x")));
}

// A relative path is not mapped; with ".." it would reach beside the sim root (zip runs in it).
TEST(Wrappers, RelativePathsThatClimbAreRefused) {
    SimMac mac;
    writeFile(QFileInfo(mac.root()).path() + "/outside.txt", "not the Mac's");
    for (const auto& [tool, args] :
         {std::pair{"/usr/bin/zip", QStringList{"/Users/out.zip", "../outside.txt"}},
          std::pair{"/usr/bin/zip", QStringList{"-r", "/Users/out.zip", "Users/../../outside.txt"}},
          std::pair{"/bin/cp", QStringList{"../outside.txt", "/Users/copy.txt"}},
          std::pair{"/bin/cp", QStringList{"/Users/Shared", "Users/.."}}}) {
        const ToolRun result = mac.run(QLatin1String(tool), args);
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains("leads out of the simulated Mac")) << result.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Users/out.zip"))) << "nothing ran";
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Users/copy.txt")));
    writeFile(mac.host("/Users/a..b"), "dots in a name");
    EXPECT_EQ(mac.run("/bin/cp", {"/Users/a..b", "/Users/c..d"}).exitCode, 0)
        << "\"..\" inside a name is fine";
    EXPECT_EQ(mac.run("/usr/bin/zip", {"-q", "/Users/names.zip", "Users/a..b"}).exitCode, 0);
}

TEST(CallsLog, ArgumentsArriveAsOneElementEach) {
    SimMac mac;
    const QString name = QStringLiteral("a\"; rm -rf ~; \" $(reboot) `id`");
    mac.run("/usr/sbin/diskutil", {"rename", "/Volumes/Nope", name});
    const QList<QJsonObject> calls = mac.calls();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls.at(0).value("phase").toString(), "start");
    EXPECT_EQ(calls.at(0).value("tool").toString(), "diskutil");
    EXPECT_EQ(calls.at(0).value("argv").toArray(), (QJsonArray{"rename", "/Volumes/Nope", name}));
    EXPECT_GT(calls.at(0).value("pid").toInt(), 0);
    EXPECT_EQ(calls.at(1).value("seq"), calls.at(0).value("seq"));
    EXPECT_EQ(calls.at(1).value("exit").toInt(), 1);
    EXPECT_EQ(calls.at(1).value("signal").toInt(), 0);
    EXPECT_GE(calls.at(1).value("t").toDouble(), calls.at(0).value("t").toDouble());
}

TEST(SimulatedTools, RequireASimulatedMac) {
    SimMac mac;
    for (const QString& root : {QString(), mac.root() + "/Users"}) {
        testsupport::ScopedEnv env("TAVRUN_SIM_ROOT", root);
        for (const QString& tool : {QStringLiteral("/usr/sbin/diskutil"), QStringLiteral("/usr/bin/zip")}) {
            const ToolRun result = mac.run(tool, {"list", "-plist"});
            EXPECT_EQ(result.exitCode, 70) << tool.toStdString();
            EXPECT_TRUE(result.err.startsWith("simmac: TAVRUN_SIM_ROOT")) << result.err.toStdString();
        }
    }
}

}  // namespace

// Processes other than the wrapper whose command line names `path`.
int hostProcessesNaming(const QString& path, qint64 wrapperPid) {
    int count = 0;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (pid.toLongLong() != wrapperPid && cmdline.open(QIODevice::ReadOnly) &&
            cmdline.readAll().contains(QFile::encodeName(path))) {
            ++count;
        }
    }
    return count;
}

TEST(Wrappers, AStopReachesTheHostTool) {
    SimMac mac;
    const QString fifo = mac.host("/Users/Shared/pipe");
    QDir().mkpath(QFileInfo(fifo).path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Held open for writing, the pipe never ends: the host cp waits on it until it is stopped.
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_RDWR);
    ASSERT_GE(writer, 0);
    QProcess wrapper;
    wrapper.start(mac.toolRoot() + "/bin/cp", {"/Users/Shared/pipe", "/Users/Shared/copy"});
    ASSERT_TRUE(wrapper.waitForStarted());
    const qint64 pid = wrapper.processId();
    ASSERT_TRUE(testsupport::waitUntil([&] { return hostProcessesNaming(fifo, pid) == 1; }, 10000));
    wrapper.terminate();
    ASSERT_TRUE(wrapper.waitForFinished(10000));
    EXPECT_EQ(wrapper.exitStatus(), QProcess::CrashExit) << "the wrapper dies by the stop, as the tool would";
    EXPECT_TRUE(testsupport::waitUntil([&] { return hostProcessesNaming(fifo, pid) == 0; }, 10000))
        << "the host cp is gone too";
    ::close(writer);
}
