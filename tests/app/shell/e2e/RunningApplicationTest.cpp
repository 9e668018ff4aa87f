#include "tests/support/TestEnv.h"

#include "platform/RunningApplication.h"
#include "platform/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using platform::RunningApplication;

const QString kId = QStringLiteral("com.Belmora.clone");

// A bundle "<folder>/Rec.app" whose executable records its starts (the launcher tests' stand-in program).
QString makeRecordingBundle(const QString& folder, const QString& identifier, const QString& record) {
    const QString bundle = folder + "/Rec.app";
    QDir().mkpath(bundle + "/Contents/MacOS");
    QFile::copy(RECORDSTART_PATH, bundle + "/Contents/MacOS/rec");
    QFile info(bundle + "/Contents/Info.plist");
    info.open(QIODevice::WriteOnly);
    info.write(QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleExecutable</key><string>rec</string>
<key>CFBundleIdentifier</key><string>%1</string></dict></plist>)")
                   .arg(identifier)
                   .toUtf8());
    qputenv("TAVRUN_TEST_RECORD", record.toUtf8());
    return bundle;
}

QStringList lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

// Whether a process runs `program` now (Linux: the executables in /proc). A launch returns once what it
// started runs the program, so a launch's starts are over when none does.
bool runs(const QString& program) {
    const QString wanted = QFileInfo(program).canonicalFilePath();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(pids.begin(), pids.end(), [&](const QString& pid) {
        return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == wanted;
    });
}

}  // namespace

TEST(RunningApplication, ARegistrationIsListedUntilItEnds) {
    testsupport::TempSimRoot sim;
    EXPECT_TRUE(RunningApplication::runningApplicationsWithBundleIdentifier(kId).isEmpty());
    {
        RunningApplication::Registration registration(kId, "/Bundles/Tavrun.app", {});
        ASSERT_TRUE(registration.isRegistered());
        const auto running = RunningApplication::runningApplicationsWithBundleIdentifier(kId);
        ASSERT_EQ(running.size(), 1);
        EXPECT_EQ(running.first().processIdentifier(), RunningApplication::currentProcessIdentifier());
        EXPECT_EQ(running.first().bundlePath(), "/Bundles/Tavrun.app");
        EXPECT_EQ(running.first().bundleIdentifier(), kId);

        RunningApplication::Registration second(kId, "/Other/Tavrun.app", {});
        EXPECT_FALSE(second.isRegistered()) << "one place per identifier";
        EXPECT_TRUE(
            RunningApplication::runningApplicationsWithBundleIdentifier("com.Belmora.other").isEmpty());
    }
    EXPECT_TRUE(RunningApplication::runningApplicationsWithBundleIdentifier(kId).isEmpty());
    RunningApplication::Registration again(kId, "/Bundles/Tavrun.app", {});
    EXPECT_TRUE(again.isRegistered()) << "the place is free again";
}

TEST(RunningApplication, TwoSimulatedMacsHaveTheirOwnPlaces) {
    testsupport::TempSimRoot first;
    RunningApplication::Registration onFirst(kId, "/a/Tavrun.app", {});
    ASSERT_TRUE(onFirst.isRegistered());
    {
        testsupport::TempSimRoot second;
        EXPECT_TRUE(RunningApplication::runningApplicationsWithBundleIdentifier(kId).isEmpty());
        RunningApplication::Registration onSecond(kId, "/b/Tavrun.app", {});
        EXPECT_TRUE(onSecond.isRegistered());
        EXPECT_EQ(RunningApplication::runningApplicationsWithBundleIdentifier(kId).first().bundlePath(),
                  "/b/Tavrun.app");
    }
    EXPECT_EQ(RunningApplication::runningApplicationsWithBundleIdentifier(kId).first().bundlePath(),
              "/a/Tavrun.app");
}

TEST(RunningApplication, ActivationReachesTheRegisteredInstanceWithItsOptions) {
    testsupport::TempSimRoot sim;
    std::vector<unsigned> requests;
    RunningApplication::Registration registration(kId, "/x/Tavrun.app",
                                                  [&](unsigned options) { requests.push_back(options); });
    const auto running = RunningApplication::runningApplicationsWithBundleIdentifier(kId);
    ASSERT_EQ(running.size(), 1);
    EXPECT_TRUE(running.first().activateWithOptions(3));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !requests.empty(); }, 10000));
    EXPECT_EQ(requests, std::vector<unsigned>{3});
}

TEST(RunningApplication, HostileIdentifiersAreRefused) {
    testsupport::TempSimRoot sim;
    for (const QString& identifier : {QString(), QStringLiteral("../../etc/x"), QStringLiteral("a/b"),
                                      QStringLiteral(".hidden"), QStringLiteral("a b")}) {
        RunningApplication::Registration registration(identifier, "/x.app", {});
        EXPECT_FALSE(registration.isRegistered()) << identifier.toStdString();
        EXPECT_TRUE(RunningApplication::runningApplicationsWithBundleIdentifier(identifier).isEmpty());
    }
}

TEST(WorkspaceLaunch, StartsABundlesExecutableWithoutArguments) {
    testsupport::TempSimRoot sim;
    QTemporaryDir folder;
    const QString record = folder.filePath("starts.txt");
    const QString bundle = makeRecordingBundle(folder.path(), "com.example.rec", record);
    EXPECT_TRUE(platform::Workspace::launchApplication(bundle));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return !lines(record).isEmpty() && !runs(bundle + "/Contents/MacOS/rec"); }, 10000))
        << "the start recorded and over";
    EXPECT_EQ(lines(record), QStringList{"0|sim=" + sim.path()}) << "once, no argument, same Mac";
    qunsetenv("TAVRUN_TEST_RECORD");
}

TEST(WorkspaceLaunch, ARunningInstanceIsBroughtToTheFrontInstead) {
    testsupport::TempSimRoot sim;
    QTemporaryDir folder;
    const QString record = folder.filePath("starts.txt");
    const QString bundle = makeRecordingBundle(folder.path(), kId, record);
    std::vector<unsigned> requests;
    RunningApplication::Registration running(kId, bundle,
                                             [&](unsigned options) { requests.push_back(options); });
    EXPECT_TRUE(platform::Workspace::launchApplication(bundle));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return !requests.empty() && !runs(bundle + "/Contents/MacOS/rec"); }, 10000))
        << "the request, and no start still running";
    EXPECT_EQ(requests, std::vector<unsigned>{3}) << "all windows, ahead of other applications";
    EXPECT_TRUE(lines(record).isEmpty()) << "no second instance was started";
    qunsetenv("TAVRUN_TEST_RECORD");
}

TEST(WorkspaceLaunch, ANonBundleIsNotLaunched) {
    QTemporaryDir folder;
    EXPECT_FALSE(platform::Workspace::launchApplication(folder.path())) << "no Info.plist";
    EXPECT_FALSE(platform::Workspace::launchApplication(folder.filePath("missing.app")));
    QDir().mkpath(folder.filePath("Bad.app/Contents"));
    QFile info(folder.filePath("Bad.app/Contents/Info.plist"));
    info.open(QIODevice::WriteOnly);
    info.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleExecutable</key><string>../../../bin/true</string>
<key>CFBundleIdentifier</key><string>com.example.bad</string></dict></plist>)");
    info.close();
    EXPECT_FALSE(platform::Workspace::launchApplication(folder.filePath("Bad.app"))) << "executable outside";
    EXPECT_FALSE(platform::Workspace::openURL(QUrl("not an address"))) << "a relative address";
    EXPECT_FALSE(platform::Workspace::openURL(QUrl()));
}
