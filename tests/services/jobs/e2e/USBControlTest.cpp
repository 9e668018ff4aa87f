#include "services/jobs/KVUSBControl.h"

#include "services/disks/KVTask.h"
#include "services/utilities/KVLog.h"
#include "tests/services/jobs/e2e/JobsSupport.h"

#include <QFile>

#include <functional>

using testsupport::SimMac;
using testsupport::waitUntil;

namespace {

class ListingDelegate : public KVUSBControlDelegate {
public:
    void KVEnumUSBFinishImp() override { ++finished; }
    bool KVUserIsCancel() override { return cancel; }
    int finished = 0;
    bool cancel = false;
};

QStringList listedDisks(const KVUSBControl& usb) {
    QStringList names;
    for (const QVariantMap& record : usb.KVGetUSBList()) {
        names << record.value(KVUSBControl::kBsdName).toString();
    }
    return names;
}

// A listing as a caller runs it: on a background thread; the main-thread step follows.
void listUsbDisks(KVUSBControl& usb, ListingDelegate& delegate) {
    const int before = delegate.finished;
    platform::globalAsync([&usb] { usb.KVGetUSBThreadImp(); });
    ASSERT_TRUE(waitUntil([&] { return delegate.finished > before; }, kJobTimeoutMs));
}

class USBControl : public ::testing::Test {
protected:
    void SetUp() override { usb.KVSetDelegateObj(&delegate); }
    // Appeared disks are looked up on the global queue; nothing may outlive the control. The list's records
    // opened the log in this simulated Mac: it is closed with it.
    void TearDown() override {
        ASSERT_TRUE(settle());
        KVUninitLog();
    }

    SimMac sim;
    ListingDelegate delegate;
    KVUSBControl usb;
};

TEST_F(USBControl, ListsOnlyPlainUsbDisksLargeEnoughForASystem) {
    const QString exfat = sim.attach("usb-exfat");
    const QString mbr = sim.attach("usb-fat32-mbr");
    const QString blank = sim.attach("usb-blank");
    const QString tooSmall = sim.attach("usb-exfat", {"--name", "Small", "--size", "2499999999"});
    const QString justLargeEnough = sim.attach("usb-exfat", {"--name", "Edge", "--size", "2500000000"});
    for (const char* other :
         {"sd-card", "tb-ssd", "sata-internal", "usb-raid", "usb-cs-encrypted", "usb-hfsx", "usb-tiny"}) {
        sim.attach(other);
    }
    const QString image = attachImage(sim, "Img");

    listUsbDisks(usb, delegate);
    EXPECT_EQ(listedDisks(usb), (QStringList{exfat, mbr, blank, justLargeEnough}));
    EXPECT_FALSE(listedDisks(usb).contains(tooSmall));
    EXPECT_FALSE(listedDisks(usb).contains(image));
    const QVariantMap first = usb.KVGetUSBList().first();
    EXPECT_EQ(first, (QVariantMap{{KVUSBControl::kBsdName, exfat},
                                  {KVUSBControl::kTotalSize, sim.info(exfat).value("TotalSize")},
                                  {KVUSBControl::kMediaName, "SanDisk Ultra"}}));
    EXPECT_TRUE(usb.KVCheckUSBObj(first));
    EXPECT_FALSE(usb.KVCheckUSBObj({}));
    EXPECT_EQ(verbCalls(sim, "diskutil", "info").first(), (QStringList{"info", "-plist", "/dev/disk0"}));
}

TEST_F(USBControl, FollowsDisksThatComeAndGo) {
    const QString present = sim.attach("usb-exfat");
    listUsbDisks(usb, delegate);
    listUsbDisks(usb, delegate);
    EXPECT_EQ(listedDisks(usb), QStringList{present}) << "a second listing adds nothing";

    // Two disks at once: their lookups run side by side and each record carries its own disk's facts.
    const QString small = sim.attach("usb-exfat", {"--name", "A", "--size", "16G"});
    const QString large = sim.attach("usb-hfs", {"--size", "48G"});
    ASSERT_TRUE(waitUntil([&] { return usb.KVGetUSBList().size() == 3; }, kJobTimeoutMs));
    ASSERT_TRUE(settle()) << "the partitions' lookups may still run after the whole disks' ones";
    for (const QVariantMap& record : usb.KVGetUSBList()) {
        const QString disk = record.value(KVUSBControl::kBsdName).toString();
        EXPECT_EQ(record.value(KVUSBControl::kTotalSize), sim.info(disk).value("TotalSize"))
            << disk.toStdString();
    }
    EXPECT_EQ(verbCalls(sim, "diskutil", "info").count(QStringList{"info", "-plist", "/dev/" + small + "s2"}),
              1)
        << "one Disk Arbitration session however many listings ran";

    sim.detach(small);
    ASSERT_TRUE(waitUntil([&] { return usb.KVGetUSBList().size() == 2; }, kJobTimeoutMs));
    EXPECT_EQ(listedDisks(usb), (QStringList{present, large}));
    sim.detach(sim.attach("sd-card"));
    sim.detach(present);  // its removal arrives after the card's events
    ASSERT_TRUE(waitUntil([&] { return usb.KVGetUSBList().size() == 1; }, kJobTimeoutMs));
    EXPECT_EQ(listedDisks(usb), QStringList{large}) << "a disk never listed changes nothing";
}

TEST_F(USBControl, ChoosesTheFirstFreeVolumeName) {
    usb.NmoCreateVolumeName();
    EXPECT_EQ(usb.KVGetKorvelVolumeName(), "TavrunSystem");
    writeHostFile(sim.host("/Volumes/TavrunSystem"), "a plain file does not take the name");
    usb.NmoCreateVolumeName();
    EXPECT_EQ(usb.KVGetKorvelVolumeName(), "TavrunSystem");
    QFile::remove(sim.host("/Volumes/TavrunSystem"));
    sim.attach("usb-exfat", {"--name", "TavrunSystem"});
    sim.attach("usb-exfat", {"--name", "TavrunSystem1"});
    usb.NmoCreateVolumeName();
    EXPECT_EQ(usb.KVGetKorvelVolumeName(), "TavrunSystem2");
    EXPECT_EQ(usb.KVGetKorvelVolumePath(), "/Volumes/TavrunSystem2");
}

struct CarveRow {
    const char* name;
    const char* preset;
    std::function<void(const SimMac&, const QString& disk, KVUSBControl&)> prepare;
    int error;  // 0: carved
    const char* volumeName = "TavrunSystem";
};

class Carving : public USBControl, public ::testing::WithParamInterface<CarveRow> {};

QVariantMap recordOf(const SimMac& sim, const QString& disk) {
    return {{KVUSBControl::kBsdName, disk}, {KVUSBControl::kTotalSize, sim.info(disk).value("TotalSize")}};
}

TEST_P(Carving, ShrinksTheLastLargeEnoughVolume) {
    const QString disk = sim.attach(GetParam().preset, {"--size", "8G"});
    if (GetParam().prepare) {
        GetParam().prepare(sim, disk, usb);
    }
    const QVariantMap volume = sim.info(disk + "s2");
    const auto path = usb.KVCreateKorvelPartition(recordOf(sim, disk));
    const QList<QStringList> allResizes = verbCalls(sim, "diskutil", "resizeVolume");
    QList<QStringList> resizes;  // of this disk
    std::copy_if(allResizes.begin(), allResizes.end(), std::back_inserter(resizes),
                 [&](const QStringList& argv) { return argv.value(1).startsWith(disk + "s"); });
    EXPECT_EQ(toolCalls(sim, "killall"), QList<QStringList>(allResizes.size(), {"mds_stores"}));
    if (GetParam().error != 0) {
        EXPECT_FALSE(path);
        EXPECT_EQ(usb.KVGetErrObjs(), (QVariantMap{{QString(), GetParam().error}}));
        const bool resized = GetParam().error == KVUSBControl::kErrNoNewVolume;
        EXPECT_EQ(resizes.size(), resized ? 1 : 0);
        return;
    }
    const QString name = GetParam().volumeName;
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, "/Volumes/" + name) << "a name is chosen first: never \"/Volumes\" itself";
    EXPECT_TRUE(usb.KVGetErrObjs().isEmpty());
    const qint64 total = volume.value("TotalSize").toLongLong();
    ASSERT_EQ(resizes.size(), 1);
    EXPECT_EQ(resizes.first(),
              (QStringList{"resizeVolume", disk + "s2", QString::number(total - 2500000000) + "B", "JHFS+",
                           name, "2500000000B"}));
    EXPECT_EQ(sim.info(*path).value("ParentWholeDisk"), disk);
}

INSTANTIATE_TEST_SUITE_P(
    USBControl, Carving,
    ::testing::Values(
        CarveRow{"mountedHfsWithRoom", "usb-hfs", {}, 0},
        CarveRow{"exactlyTheFreeSpaceNeeded", "usb-hfs",
                 [](const SimMac& sim, const QString& disk, KVUSBControl&) {
                     sim.simctl({"set", disk + "s2", "FreeSpace", "2600000000"});
                 },
                 0},
        CarveRow{
            "afterAStopLeftByAnEarlierJob", "usb-hfs",
            [](const SimMac&, const QString&, KVUSBControl&) { KVTask::KVShareInstance()->KVStopTask(); }, 0},
        CarveRow{"oneByteTooLittle", "usb-hfs",
                 [](const SimMac& sim, const QString& disk, KVUSBControl&) {
                     sim.simctl({"set", disk + "s2", "FreeSpace", "2599999999"});
                 },
                 KVUSBControl::kErrTooSmall},
        CarveRow{"unmountedWithNothingFree", "usb-hfs",
                 [](const SimMac& sim, const QString& disk, KVUSBControl&) {
                     sim.run("/usr/sbin/diskutil", {"unmount", disk + "s2"});
                 },
                 KVUSBControl::kErrNoFreeSpace},
        CarveRow{"singlePartition", "usb-fat32-mbr", {}, KVUSBControl::kErrTooSmall},
        CarveRow{"coreStorage", "usb-cs-encrypted", {}, KVUSBControl::kErrCoreStorage},
        CarveRow{"resizeMakesNoVolume", "usb-exfat", {}, KVUSBControl::kErrNoNewVolume},
        // The first disk's volume holds the first name by now.
        CarveRow{"secondDisk", "usb-hfs",
                 [](const SimMac& sim, const QString&, KVUSBControl& usb) {
                     const QString first = sim.attach("usb-hfs", {"--size", "8G"});
                     EXPECT_EQ(usb.KVCreateKorvelPartition(recordOf(sim, first)), "/Volumes/TavrunSystem");
                 },
                 0, "TavrunSystem1"},
        // Another disk's volume takes the name while this disk's resize fails.
        CarveRow{
            "anotherDiskTakesTheName", "usb-exfat",
            [](const SimMac& sim, const QString&, KVUSBControl&) {
                sim.addFault(
                    {{"Tool", "diskutil"}, {"Verb", "resizeVolume"}, {"Action", "delay"}, {"DelayMs", 3000}});
                platform::globalAsync([&sim] {
                    waitUntil([&] { return !verbCalls(sim, "diskutil", "resizeVolume").isEmpty(); },
                              kJobTimeoutMs);
                    sim.attach("usb-exfat", {"--name", "TavrunSystem"});
                });
            },
            KVUSBControl::kErrNoNewVolume}),
    [](const ::testing::TestParamInfo<CarveRow>& row) { return row.param.name; });

}  // namespace
