#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"
#include "tests/support/shell/ShellTestSupport.h"

#include "app/shell/AppDelegate.h"
#include "app/shell/StartUp.h"
#include "platform/Bundle.h"
#include "platform/RunningApplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QLockFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

#include <signal.h>
#include <unistd.h>

// The assembled application as it ships, run as its own process on a simulated Mac.

namespace {

using platform::RunningApplication;
using shelltest::AppProcess;

const QString kId = QStringLiteral("com.Belmora.clone");
const QString kArgument = QStringLiteral("en*loaderflag*");
const QString kShown = QStringLiteral("main window shown");

// The running instance on the current simulated Mac, once it has its place.
qint64 waitForInstance() {
    qint64 pid = 0;
    testsupport::waitUntil(
        [&] {
            const auto running = RunningApplication::runningApplicationsWithBundleIdentifier(kId);
            pid = running.isEmpty() ? 0 : running.first().processIdentifier();
            return pid != 0;
        },
        60000);
    return pid;
}

// The files of the place that a process holds as a running application.
QStringList placeFilesOf(qint64 pid) {
    const QString folder = QDir::tempPath() + "/tavrun-running-" + QString::number(::geteuid());
    for (const QFileInfo& lock : QDir(folder).entryInfoList({"*.lock"}, QDir::Files)) {
        qint64 holder = 0;
        QString host;
        QString application;
        if (QLockFile(lock.filePath()).getLockInfo(&holder, &host, &application) && holder == pid) {
            const QString base = lock.filePath().chopped(5);
            return {lock.filePath(), base + ".bundle", base + ".socket"};
        }
    }
    return {};
}

// A copy of the application bundle at "<folder>/<path>".
QString copyApplication(const QString& folder, const QString& path) {
    const QString bundle = folder + u'/' + path;
    EXPECT_TRUE(shelltest::copyTree(TAVRUN_APP_BUNDLE, bundle));
    return bundle;
}

void writeInfo(const QString& bundle, const QString& executable, const QString& identifier) {
    QDir().mkpath(bundle + "/Contents/MacOS");
    QFile info(bundle + "/Contents/Info.plist");
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write(QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleExecutable</key><string>%1</string>
<key>CFBundleIdentifier</key><string>%2</string></dict></plist>)")
                   .arg(executable, identifier)
                   .toUtf8());
}

}  // namespace

TEST(ApplicationBundle, IsAssembledInsideTheLaunchersBundle) {
    const QString app = TAVRUN_APP_BUNDLE;
    EXPECT_EQ(QFileInfo(app).absolutePath(), QStringLiteral(TAVRUN_LAUNCHER_BUNDLE) + "/Contents/MacOS");
    EXPECT_TRUE(QFileInfo(app + "/Contents/MacOS/Tavrun").isExecutable());
    const auto info = platform::Bundle::infoDictionary(app);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->value("CFBundleIdentifier").toString(), kId);
    EXPECT_EQ(info->value("CFBundleExecutable").toString(), "Tavrun");
    for (const char* resource : {"PrivateData.plist", "SystemFile.plist"}) {
        EXPECT_TRUE(QFileInfo(app + "/Contents/Resources/" + resource).isFile()) << resource;
    }
    const QStringList images = QDir(TAVRUN_SOURCE_DIR "/resources/images").entryList({"*.svg"}, QDir::Files);
    ASSERT_FALSE(images.isEmpty());
    EXPECT_EQ(QDir(app + "/Contents/Resources").entryList({"*.svg"}, QDir::Files), images);
}

TEST(ApplicationProcess, ASecondStartBringsTheFirstToTheFrontAndExits) {
    testsupport::TempSimRoot sim;
    std::vector<unsigned> requests;
    // This test plays the first instance, registered as the assembled bundle.
    RunningApplication::Registration first(kId, TAVRUN_APP_BUNDLE,
                                           [&](unsigned options) { requests.push_back(options); });
    ASSERT_TRUE(first.isRegistered());
    AppProcess second(sim.path());
    second.start({kArgument});
    EXPECT_EQ(second.waitForExit(), 0) << second.log().toStdString();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !requests.empty(); }, 10000))
        << second.log().toStdString();
    EXPECT_EQ(requests, std::vector<unsigned>{3});
    EXPECT_EQ(second.countInLog(kShown), 0) << "the second start never shows a window";
}

TEST(ApplicationProcess, TheFirstInstanceComesToTheFrontWhenAnotherStartAsks) {
    testsupport::TempSimRoot sim;
    AppProcess first(sim.path());
    first.start({kArgument});
    ASSERT_TRUE(first.waitForLog(kShown)) << first.log().toStdString();
    ASSERT_EQ(waitForInstance(), first.pid());
    EXPECT_EQ(first.countInLog("prevent sleep!"), 1);

    AppDelegate second;  // this process, started second on the same Mac
    EXPECT_TRUE(second.checkAppDuplicateAndBringToFrontWithBundle(kId));
    EXPECT_TRUE(first.waitForLog("brought to the front")) << first.log().toStdString();

    EXPECT_FALSE(IsOnlyOneApp());
    EXPECT_TRUE(testsupport::waitUntil([&] { return first.countInLog("brought to the front") == 2; }, 10000))
        << first.log().toStdString();
}

TEST(ApplicationProcess, AloneOnItsMacTheApplicationIsTheOnlyOne) {
    testsupport::TempSimRoot sim;
    EXPECT_TRUE(IsOnlyOneApp());
}

TEST(ApplicationProcess, TwoSimulatedMacsNeverSeeEachOther) {
    testsupport::TempSimRoot one;
    AppProcess onOne(one.path());
    onOne.start({kArgument});
    ASSERT_TRUE(onOne.waitForLog(kShown)) << onOne.log().toStdString();
    testsupport::TempSimRoot two;
    AppProcess onTwo(two.path());
    onTwo.start({kArgument});
    ASSERT_TRUE(onTwo.waitForLog(kShown)) << onTwo.log().toStdString();
    EXPECT_EQ(waitForInstance(), onTwo.pid());
    EXPECT_EQ(onOne.countInLog("brought to the front"), 0);
}

TEST(ApplicationProcess, AnInstanceThatDiedLeavesNoPlaceBehind) {
    testsupport::TempSimRoot sim;
    QStringList place;
    {
        AppProcess killed(sim.path());
        killed.start({kArgument});
        ASSERT_TRUE(killed.waitForLog(kShown)) << killed.log().toStdString();
        ASSERT_EQ(waitForInstance(), killed.pid());
        place = placeFilesOf(killed.pid());
        ASSERT_EQ(place.size(), 3) << "a lock, the bundle's path and the socket";
        shelltest::endProcess(killed.pid());
    }
    EXPECT_TRUE(RunningApplication::runningApplicationsWithBundleIdentifier(kId).isEmpty());
    {
        testsupport::TempSimRoot elsewhere;
        RunningApplication::Registration other(kId, "/x/Tavrun.app", {});
        ASSERT_TRUE(other.isRegistered());
        for (const QString& file : place) {
            EXPECT_FALSE(QFileInfo::exists(file))
                << file.toStdString() << " is cleared by the next registration";
        }
    }
    AppProcess next(sim.path());
    next.start({kArgument});
    EXPECT_TRUE(next.waitForLog(kShown)) << next.log().toStdString();
    EXPECT_EQ(waitForInstance(), next.pid());
}

TEST(HandOver, APlainStartHandsOverOnceAndTheLauncherStartsTheApplicationWithItsArgument) {
    testsupport::SimMac mac;
    testsupport::ScopedEnv allow("TAVRUN_SIM_AUTH", "allow");
    AppProcess plain(mac.root());
    plain.start({});
    EXPECT_EQ(plain.waitForExit(), 0) << plain.log().toStdString();
    const qint64 pid = waitForInstance();
    ASSERT_NE(pid, 0) << plain.log().toStdString();
    EXPECT_NE(pid, plain.pid());
    EXPECT_EQ(shelltest::commandLineOf(pid), (QStringList{AppProcess::defaultExecutable(), kArgument}));
    EXPECT_TRUE(plain.waitForLog(kShown)) << plain.log().toStdString();
    shelltest::endProcess(pid);
    EXPECT_EQ(plain.countInLog("hand-over to"), 1) << plain.log().toStdString();
    EXPECT_EQ(plain.countInLog("prevent sleep!"), 1) << "only the started application holds the assertion";
    EXPECT_EQ(plain.countInLog(kShown), 1);
}

TEST(HandOver, ALauncherThatStartsTheApplicationWithoutAnArgumentCausesNoLoop) {
    testsupport::TempSimRoot sim;
    QTemporaryDir folder;
    // A launcher bundle whose program starts the application plainly, as a Finder start would.
    const QString launcher = folder.filePath("Loop.app");
    writeInfo(launcher, "loop", "com.example.loop");
    const QString script = launcher + "/Contents/MacOS/loop";
    QFile program(script);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\nexec \"$(dirname \"$0\")/Tavrun.app/Contents/MacOS/Tavrun\"\n");
    program.close();
    program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString app = copyApplication(launcher, "Contents/MacOS/Tavrun.app");

    AppProcess plain(sim.path(), app + "/Contents/MacOS/Tavrun");
    plain.start({});
    EXPECT_EQ(plain.waitForExit(), 0);
    ASSERT_TRUE(plain.waitForLog(kShown)) << plain.log().toStdString();
    const qint64 pid = waitForInstance();
    EXPECT_EQ(shelltest::commandLineOf(pid).size(), 1) << "started without an argument, and running";
    shelltest::endProcess(pid);
    EXPECT_EQ(plain.countInLog("hand-over to"), 1) << plain.log().toStdString();
    EXPECT_EQ(plain.countInLog("not handing over again"), 1);
    EXPECT_EQ(plain.countInLog(kShown), 1);
}

TEST(HandOver, WithoutALauncherThePlainStartRunsItself) {
    testsupport::TempSimRoot sim;
    QTemporaryDir folder;
    const QString app = copyApplication(folder.path(), "Outer/Contents/MacOS/Tavrun.app");  // no launcher
    AppProcess plain(sim.path(), app + "/Contents/MacOS/Tavrun");
    plain.start({});
    ASSERT_TRUE(plain.waitForLog(kShown)) << plain.log().toStdString();
    EXPECT_EQ(waitForInstance(), plain.pid());
    const QString handOver = plain.log().section(QStringLiteral("hand-over to"), 1).section(u'\n', 0, 0);
    EXPECT_TRUE(handOver.endsWith(QStringLiteral("failed"))) << plain.log().toStdString();
    EXPECT_EQ(plain.countInLog("prevent sleep!"), 1);
}

namespace {

// The process ids of the diskutil runs that started and never ended.
QList<qint64> unendedDiskutilRuns(const testsupport::SimMac& mac) {
    QMap<qint64, qint64> started;  // seq -> pid
    for (const QJsonObject& call : mac.calls()) {
        const qint64 seq = call.value("seq").toInteger();
        if (call.value("phase") == "start" && call.value("tool") == "diskutil") {
            started.insert(seq, call.value("pid").toInteger());
        } else if (call.value("phase") == "end") {
            started.remove(seq);
        }
    }
    return started.values();
}

// Alive, and not a zombie waiting for its parent.
bool isRunning(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    return status.open(QIODevice::ReadOnly) && !status.readAll().contains("\nState:\tZ");
}

struct QuitRow {
    const char* name;
    bool ignoreSigterm;
};

class QuitWhileAToolHangs : public ::testing::TestWithParam<QuitRow> {};

}  // namespace

// The Disk Tool lists the volumes at start; `diskutil info` of a disk hangs. Asked to quit (a logout's
// SIGTERM), the application ends the tool, SIGKILL after the grace period when it ignores SIGTERM, and exits
// with 0.
TEST_P(QuitWhileAToolHangs, EndsTheToolItStartedAndExits) {
    testsupport::SimMac mac;
    mac.addFault({{"Tool", "diskutil"},
                  {"Verb", "info"},
                  {"ArgsContain", "/dev/disk"},  // the list's lookups, on a worker
                  {"Action", "hang"},
                  {"IgnoreSigterm", GetParam().ignoreSigterm}});
    AppProcess app(mac.root());
    app.start({kArgument});
    QList<qint64> hung;
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            hung = unendedDiskutilRuns(mac);
            return !hung.isEmpty();
        },
        60000))
        << "no diskutil run hangs\n"
        << app.log().toStdString();
    ASSERT_TRUE(app.waitForLog(kShown)) << app.log().toStdString();
    ::kill(static_cast<pid_t>(app.pid()), SIGTERM);
    EXPECT_EQ(app.waitForExit(), 0) << app.log().toStdString();
    for (const qint64 pid : unendedDiskutilRuns(mac)) {
        EXPECT_FALSE(isRunning(pid)) << "diskutil " << pid << " outlived the application";
    }
    EXPECT_EQ(app.countInLog("tools and workers ended"), 1) << app.log().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Quit, QuitWhileAToolHangs,
                         ::testing::Values(QuitRow{"terminated", false},
                                           QuitRow{"killedAfterTheGracePeriod", true}),
                         [](const auto& row) { return std::string(row.param.name); });
