#include "tests/support/SimMac.h"

#include "tests/simmac/StreamedRun.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <functional>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

const QString kDiskutil = QStringLiteral("/usr/sbin/diskutil");

bool isPlistDictionary(const QByteArray& bytes) {
    return platform::PropertyList::dictionaryFromBytes(bytes).has_value();
}

struct FaultCase {
    const char* name;
    QVariantMap rule;
    QStringList args;  // of diskutil; the attached USB disk is disk4
    int exitCode;
    std::function<void(const SimMac&, const StreamedRun&)> check;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class FaultActions : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultActions, BehaveAsTheRuleSays) {
    SimMac mac;
    ASSERT_EQ(mac.attach("usb-exfat"), "disk4");
    mac.addFault(GetParam().rule);
    const StreamedRun run = StreamedRun::run(mac, kDiskutil, GetParam().args);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    GetParam().check(mac, run);
}

QString mountPoint(const SimMac& mac) {
    return mac.info("disk4s2").value("MountPoint").toString();
}

const FaultCase kCases[] = {
    {"exit",
     {{"Tool", "diskutil"},
      {"Verb", "INFO"},
      {"Action", "exit"},
      {"Stdout", "partial"},
      {"Stderr", "boom"},
      {"ExitStatus", 3}},
     {"info", "-plist", "disk4s2"},
     3,
     [](const SimMac&, const StreamedRun& run) {
         EXPECT_EQ(run.out(), "partial");
         EXPECT_EQ(run.err, "boom\n");
     }},
    {"exitLeavesStateAlone",
     {{"Verb", "unmount"}, {"Action", "exit"}},
     {"unmount", "disk4s2"},
     1,
     [](const SimMac& mac, const StreamedRun& run) {
         EXPECT_TRUE(run.out().isEmpty());
         EXPECT_EQ(mountPoint(mac), "/Volumes/USB");
     }},
    {"effectThenExit",
     {{"Verb", "unmount"}, {"Action", "effectThenExit"}, {"ExitStatus", 2}},
     {"unmount", "disk4s2"},
     2,
     [](const SimMac& mac, const StreamedRun& run) {
         EXPECT_EQ(run.out(), "Volume USB on disk4s2 unmounted\n");
         EXPECT_EQ(mountPoint(mac), "") << "a failure reported for a success";
     }},
    {"garbageTruncated",
     {{"Action", "garbage"}, {"Kind", "truncated"}},
     {"info", "-plist", "disk4s2"},
     0,
     [](const SimMac&, const StreamedRun& run) {
         EXPECT_TRUE(run.out().contains("<dict>"));
         EXPECT_FALSE(isPlistDictionary(run.out()));
     }},
    {"garbageText",
     {{"Action", "garbage"}, {"Kind", "text"}, {"ExitStatus", 1}},
     {"info", "-plist", "disk4s2"},
     1,
     [](const SimMac&, const StreamedRun& run) { EXPECT_EQ(run.out(), "Could not find disk: x\n"); }},
    {"garbageBinary",
     {{"Action", "garbage"}, {"Kind", "binary"}},
     {"list", "-plist"},
     0,
     [](const SimMac&, const StreamedRun& run) {
         QStringDecoder utf8(QStringDecoder::Utf8);
         (void)QString(utf8(run.out()));
         EXPECT_TRUE(utf8.hasError());
     }},
    {"garbageWrongRoot",
     {{"Action", "garbage"}, {"Kind", "wrongRoot"}},
     {"list", "-plist"},
     0,
     [](const SimMac&, const StreamedRun& run) {
         const auto value = platform::PropertyList::fromBytes(run.out());
         ASSERT_TRUE(value);
         EXPECT_EQ(value->typeId(), QMetaType::QVariantList);
     }},
    {"garbageMissingKeys",
     {{"Action", "garbage"}, {"Kind", "missingKeys"}},
     {"info", "-plist", "disk4s2"},
     0,
     [](const SimMac&, const StreamedRun& run) {
         const auto dict = platform::PropertyList::dictionaryFromBytes(run.out());
         ASSERT_TRUE(dict);
         EXPECT_FALSE(dict->contains("DeviceIdentifier"));
     }},
    {"empty",
     {{"Action", "empty"}},
     {"info", "-plist", "disk4s2"},
     0,
     [](const SimMac&, const StreamedRun& run) { EXPECT_TRUE(run.out().isEmpty()); }},
    {"signal",
     {{"Action", "signal"}},
     {"info", "-plist", "disk4s2"},
     -1,
     [](const SimMac& mac, const StreamedRun& run) {
         EXPECT_TRUE(run.crashed);
         const QJsonObject end = mac.calls().last();
         EXPECT_EQ(end.value("phase").toString(), "end");
         EXPECT_EQ(end.value("signal").toInt(), 11);
     }},
    {"output",
     {{"Verb", "verifyVolume"},
      {"Action", "output"},
      {"Lines", QStringList{"one\ntwo\nthree\n", "100"}},
      {"LineDelayMs", 100}},
     {"verifyvolume", "disk4s2"},
     0,
     [](const SimMac&, const StreamedRun& run) {
         EXPECT_EQ(run.out(), "one\ntwo\nthree\n100");
         EXPECT_EQ(run.chunks, (QList<QByteArray>{"one\ntwo\nthree\n", "100"}));
     }},
    {"matchByArgsContain",
     {{"ArgsContain", "-plist disk4"}, {"Action", "empty"}},
     {"info", "-plist", "disk4s2"},
     0,
     [](const SimMac&, const StreamedRun& run) { EXPECT_TRUE(run.out().isEmpty()); }},
    {"otherToolDoesNotMatch",
     {{"Tool", "hdiutil"}, {"Action", "empty"}},
     {"info", "-plist", "disk4s2"},
     0,
     [](const SimMac&, const StreamedRun& run) { EXPECT_TRUE(isPlistDictionary(run.out())); }},
    {"otherArgumentsDoNotMatch",
     {{"ArgsContain", "disk9"}, {"Action", "empty"}},
     {"info", "-plist", "disk4s2"},
     0,
     [](const SimMac&, const StreamedRun& run) { EXPECT_TRUE(isPlistDictionary(run.out())); }},
    {"detachDiskAfterLines",
     {{"Verb", "verifyvolume"}, {"Action", "detachDisk"}, {"AfterLines", 3}},
     {"verifyvolume", "/Volumes/USB/"},
     1,
     [](const SimMac& mac, const StreamedRun& run) {
         EXPECT_EQ(run.out().count('\n'), 3);
         EXPECT_EQ(run.err, "Error: -69808: The disk disappeared\n");
         EXPECT_EQ(mac.state().value("Detached").toList().size(), 1);
         EXPECT_EQ(mac.eventRecords().last().name, "diskDisappeared");
     }},
};

INSTANTIATE_TEST_SUITE_P(Rules, FaultActions, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Faults, DelayWaitsThenBehavesNormally) {
    SimMac mac;
    mac.addFault({{"Action", "delay"}, {"DelayMs", 400}, {"Times", 1}});
    QElapsedTimer timer;
    timer.start();
    const ToolRun result = mac.run(kDiskutil, {"info", "-plist", "/"});
    EXPECT_GE(timer.elapsed(), 400);
    EXPECT_TRUE(isPlistDictionary(result.out));
    // A delay a file ends is over when the file is there, however long it was set to last.
    QDir().mkpath(mac.host("/tmp/gate"));
    mac.addFault({{"Action", "delay"}, {"DelayMs", 600000}, {"UntilFile", "/tmp/gate"}});
    EXPECT_TRUE(isPlistDictionary(mac.run(kDiskutil, {"info", "-plist", "/"}).out));
}

TEST(Faults, HangUntilTerminatedShowsOnlyTheStart) {
    SimMac mac;
    mac.addFault({{"Action", "hang"}});
    QProcess tool;
    tool.start(mac.toolRoot() + kDiskutil, {"list", "-plist"});
    ASSERT_TRUE(tool.waitForStarted());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !mac.calls().isEmpty(); }));
    EXPECT_FALSE(tool.waitForFinished(300));
    tool.terminate();
    EXPECT_TRUE(tool.waitForFinished(5000));
    EXPECT_EQ(tool.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(mac.calls().last().value("phase").toString(), "start");
}

TEST(Faults, HangIgnoringSigtermNeedsSigkill) {
    SimMac mac;
    mac.addFault({{"Action", "hang"}, {"IgnoreSigterm", true}});
    QProcess tool;
    tool.start(mac.toolRoot() + kDiskutil, {"list", "-plist"});
    ASSERT_TRUE(tool.waitForStarted());
    ASSERT_TRUE(testsupport::waitUntil([&] { return testsupport::ignoresSigterm(tool.processId()); }))
        << "the tool did not set SIGTERM aside";
    tool.terminate();
    EXPECT_FALSE(tool.waitForFinished(500));
    tool.kill();
    EXPECT_TRUE(tool.waitForFinished(5000));
}

TEST(Faults, HangAfterTheEffect) {
    SimMac mac;
    mac.attach("usb-exfat");
    mac.addFault({{"Verb", "unmount"}, {"Action", "hang"}, {"AfterEffect", true}});
    QProcess tool;
    tool.start(mac.toolRoot() + kDiskutil, {"unmount", "disk4s2"});
    ASSERT_TRUE(tool.waitForStarted());
    // A loaded machine may take a while to get there: wait for the effect, then see the tool still hang.
    EXPECT_TRUE(testsupport::waitUntil([&] {
        const QVariantMap info = mac.info("disk4s2");
        return info.contains("MountPoint") && info.value("MountPoint").toString().isEmpty();
    }));
    EXPECT_FALSE(tool.waitForFinished(500));
    tool.kill();
    tool.waitForFinished();
}

TEST(Faults, TimesCountsDownAndDropsTheRule) {
    SimMac mac;
    mac.addFault({{"Verb", "info"}, {"Action", "empty"}, {"Times", 2}});
    mac.addFault({{"Verb", "info"}, {"Action", "exit"}, {"ExitStatus", 9}});
    EXPECT_TRUE(mac.run(kDiskutil, {"info", "-plist", "/"}).out.isEmpty());
    EXPECT_TRUE(mac.run(kDiskutil, {"info", "-plist", "/"}).out.isEmpty());
    EXPECT_EQ(mac.run(kDiskutil, {"info", "-plist", "/"}).exitCode, 9) << "the first rule is used up";
    EXPECT_EQ(mac.run(kDiskutil, {"info", "-plist", "/"}).exitCode, 9) << "a rule without Times stays";
}

TEST(Faults, DetachDiskDuringEraseDisk) {
    SimMac mac;
    mac.attach("usb-exfat");
    mac.addFault({{"Verb", "eraseDisk"}, {"Action", "detachDisk"}, {"AfterLines", 2}});
    const ToolRun result = mac.run(kDiskutil, {"eraseDisk", "APFS", "TavrunSystem", "disk4"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Started erase on disk4\nUnmounting disk\n");
    EXPECT_EQ(result.err, "Error: -69808: The disk disappeared\n");
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains("disk4"));
}

TEST(Faults, DetachDiskDuringAsrAtAPercentage) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat", {"--size", "64G"});
    mac.run(kDiskutil, {"eraseDisk", "APFS", "TavrunSystem", disk});
    mac.addFault({{"Tool", "asr"}, {"Action", "detachDisk"}, {"AtPercent", 50}, {"Disk", disk}});
    const ToolRun result = mac.run("/usr/sbin/asr", {"restore", "--source", "/", "--target",
                                                     "/Volumes/TavrunSystem", "--erase", "--noprompt"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.endsWith("....50"));
    EXPECT_EQ(result.err, "Could not restore - Input/output error\n");
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains(disk));
}

TEST(Faults, KillallLogsAndKillsNothing) {
    SimMac mac;
    const ToolRun result = mac.run("/usr/bin/killall", {"mds_stores"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "No matching processes belonging to you were found\n");
    mac.addFault({{"Tool", "killall"}, {"Action", "exit"}, {"ExitStatus", 0}});
    EXPECT_EQ(mac.run("/usr/bin/killall", {"mds_stores"}).exitCode, 0);
    EXPECT_EQ(mac.calls().at(0).value("argv").toArray(), QJsonArray{"mds_stores"});
}

}  // namespace
