// The runners with the simulated diskutil: argument integrity, concurrent callers, tools that fail or
// hang, and the shared long-tool runner.
#include "tests/services/disks/e2e/VolumeEnumeration.h"

#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/disks/KVTask.h"
#include "services/utilities/KVPublicUtilities.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;
using testsupport::SimMac;

namespace {

TEST(Runner, AHostileVolumeNameReachesDiskutilAsOneArgument) {
    SimMac sim("intel-12");
    const QString disk = sim.attach("usb-hfs");
    const QString hostile =
        QStringLiteral("$(touch /tmp/pwned) `touch /tmp/pwned`\"; rm -rf ~; \"'a' & b | c > d < e ;");
    aepairExecCommand(disk::DiskUtilCommands::rename(disk + "s2", hostile));

    EXPECT_EQ(toolCalls(sim, "diskutil").last(), (QStringList{"rename", disk + "s2", hostile}));
    EXPECT_EQ(sim.info(disk + "s2").value("VolumeName"), hostile);
    EXPECT_FALSE(QFileInfo::exists(sim.host("/tmp/pwned")));
    EXPECT_FALSE(QFileInfo::exists("/tmp/pwned"));
    EXPECT_TRUE(volumeNames(enumerateVolumes()).contains(hostile));

    const QString erased = hostile + " again";
    eraserExecCommand(disk::DiskUtilCommands::eraseVolume("JHFS+", erased, "/dev/" + disk + "s2"));
    EXPECT_EQ(toolCalls(sim, "diskutil").last(),
              (QStringList{"eraseVolume", "JHFS+", erased, "/dev/" + disk + "s2"}));
    EXPECT_EQ(sim.info(disk + "s2").value("VolumeName"), erased);
    EXPECT_FALSE(QFileInfo::exists(sim.host("/tmp/pwned")));
}

TEST(Runner, TwoThreadsUsingOneRunnerEachReadTheirOwnDisk) {
    SimMac sim("intel-12");
    const QString first = sim.attach("usb-exfat") + "s2";
    const QString second = sim.attach("usb-hfs") + "s2";
    std::atomic<int> wrong{0};
    const auto lookups = [&wrong](const QString& device) {
        for (int i = 0; i < 6; ++i) {
            const auto info = ExecCommand(disk::DiskUtilCommands::info(device));
            wrong += !info || info->value("DeviceIdentifier") != device;
        }
    };
    std::thread a(lookups, first);
    std::thread b(lookups, second);
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
}

struct FaultRow {
    const char* name;
    QVariantMap rule;
    bool everyVolume = false;  // the fault hits every lookup, not only the faulty volume's
};

void PrintTo(const FaultRow& row, std::ostream* out) {
    *out << row.name;
}

class FaultyInfo : public ::testing::TestWithParam<FaultRow> {};

// diskutil fails for one volume in one of the ways a real tool fails: that volume gives no information
// and is not listed, the others are. When every lookup hangs, the enumeration ends at its own deadline
// with what it has.
TEST_P(FaultyInfo, GivesNoInformationAndLeavesTheVolumeOut) {
    SimMac sim("intel-12");
    const QString faulty = sim.attach("usb-exfat", {"--name", "FAULTY"}) + "s2";
    sim.attach("usb-hfs");
    QVariantMap rule = GetParam().rule;
    rule.insert("Tool", "diskutil");
    rule.insert("Verb", "info");
    if (!GetParam().everyVolume) {
        rule.insert("ArgsContain", faulty);
    }
    rule.insert("Times", -1);
    sim.addFault(rule);
    // The product's deadlines fit a busy machine and stop a hung lookup. When every lookup hangs, the
    // enumeration ends at its own short deadline, long before the lookups' would have ended it.
    if (GetParam().everyVolume) {
        disk::setLookupDeadlineForTesting(10s);
        disk::setEnumerationDeadlineForTesting(3s);
    }

    QElapsedTimer clock;
    clock.start();
    if (GetParam().rule.value("Kind") != "missingKeys") {
        EXPECT_FALSE(KVPublicUtilities::KVGetDiskInfo("/dev/" + faulty));
    }
    const QStringList expected =
        GetParam().everyVolume ? QStringList() : QStringList{"Macintosh HD", "USB HFS"};
    clock.restart();
    EXPECT_EQ(volumeNames(enumerateVolumes()), expected);
    EXPECT_LT(clock.elapsed(), GetParam().everyVolume ? 15000 : disk::enumerationDeadline().count());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyInfo,
    ::testing::Values(FaultRow{"truncated", {{"Action", "garbage"}, {"Kind", "truncated"}}},
                      FaultRow{"text", {{"Action", "garbage"}, {"Kind", "text"}}},
                      FaultRow{"binary", {{"Action", "garbage"}, {"Kind", "binary"}}},
                      FaultRow{"wrongRoot", {{"Action", "garbage"}, {"Kind", "wrongRoot"}}},
                      FaultRow{"missingKeys", {{"Action", "garbage"}, {"Kind", "missingKeys"}}},
                      FaultRow{"empty", {{"Action", "empty"}}},
                      FaultRow{"exit",
                               {{"Action", "exit"}, {"Stderr", "Could not find disk"}, {"ExitStatus", 1}}},
                      FaultRow{"signal", {{"Action", "signal"}, {"Signal", 11}}},
                      FaultRow{"hang", {{"Action", "hang"}, {"IgnoreSigterm", true}}},
                      FaultRow{"everyLookupHangs", {{"Action", "hang"}}, true}),
    [](const ::testing::TestParamInfo<FaultRow>& row) { return std::string(row.param.name); });

TEST(Runner, AnUnreadableListIsAnEmptyVolumeList) {
    SimMac sim("intel-12");
    sim.addFault({{"Tool", "diskutil"}, {"Verb", "list"}, {"Action", "garbage"}, {"Kind", "truncated"}});
    EXPECT_TRUE(enumerateVolumes().isEmpty());
    EXPECT_EQ(toolCalls(sim, "diskutil").size(), 1) << "nothing else is asked";
}

TEST(Runner, AnUnknownDeviceGivesDiskutilsErrorDocumentAndNoInformation) {
    SimMac sim("intel-12");
    ASSERT_TRUE(sim.info("disk42").value("Error").toBool());
    EXPECT_FALSE(CVolumeMgr().KVGetDiskInfo("disk42"));
    EXPECT_FALSE(GetExecCommand(disk::DiskUtilCommands::info("/Volumes/Nothing")));
}

class SharedTaskOnTheMac : public ::testing::Test {
protected:
    void SetUp() override {
        KVTask::setMinimumTimeoutForTesting(1s);
        task_->KVResetStop();
    }
    void TearDown() override { KVTask::setMinimumTimeoutForTesting(60s); }

    KVTask* task_ = KVTask::KVShareInstance();
};

TEST_F(SharedTaskOnTheMac, RunsDiskutilToItsEffect) {
    SimMac sim("intel-12");
    const QString disk = sim.attach("usb-hfs");
    task_->KVSetLaunchPath(disk::DiskUtilCommands::kDiskUtil);
    task_->KVSetArguments({"unmountDisk", "/dev/" + disk});
    task_->KVSetTimeoutCount(600);
    task_->KVStartTask();
    EXPECT_EQ(sim.info(disk + "s2").value("MountPoint"), "");
}

TEST_F(SharedTaskOnTheMac, ErasesAWholeDiskAsTheCloneEngineDoes) {
    SimMac sim("apple-silicon-13");
    const QString disk = sim.attach("usb-exfat");
    task_->KVSetLaunchPath(disk::DiskUtilCommands::kDiskUtil);
    task_->KVSetArguments({"eraseDisk", "APFS", "TavrunSystem", disk});
    task_->KVSetTimeoutCount(600);
    task_->KVStartTask();
    EXPECT_EQ(KVCheckFolderExist("/Volumes/TavrunSystem"), 1);
    const auto info = KVPublicUtilities::KVGetDiskInfo("/Volumes/TavrunSystem");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->value("FilesystemName"), "APFS");
}

TEST_F(SharedTaskOnTheMac, StopEndsAHungDiskutil) {
    SimMac sim("intel-12");
    const QString disk = sim.attach("usb-hfs");
    sim.addFault(
        {{"Tool", "diskutil"}, {"Verb", "unmountDisk"}, {"Action", "hang"}, {"IgnoreSigterm", true}});
    task_->KVSetLaunchPath(disk::DiskUtilCommands::kDiskUtil);
    task_->KVSetArguments({"unmountDisk", "/dev/" + disk});
    task_->KVSetTimeoutCount(600);
    QElapsedTimer sinceStop;
    std::thread stopper([&] {
        EXPECT_TRUE(testsupport::waitUntil([&] {
            const QList<QJsonObject> calls = sim.calls();
            return !calls.isEmpty() && testsupport::ignoresSigterm(calls.last().value("pid").toInteger());
        })) << "diskutil did not hang ignoring SIGTERM";
        sinceStop.start();
        task_->KVStopTask();
    });
    task_->KVStartTask();
    stopper.join();
    EXPECT_LT(sinceStop.elapsed(), 6000) << "SIGTERM ignored: killed after the grace period";
    int ends = 0;
    for (const QJsonObject& call : sim.calls()) {
        ends += call.value("phase") == "end";
    }
    EXPECT_EQ(ends, 0) << "the hung diskutil never ended by itself";
}

}  // namespace
