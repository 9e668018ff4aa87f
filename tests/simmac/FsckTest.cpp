#include "tests/support/SimMac.h"

#include "tests/simmac/StreamedRun.h"

#include <gtest/gtest.h>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

const QString kDiskutil = QStringLiteral("/usr/sbin/diskutil");

// Pulls the disk out when the tool's first output arrives.
std::function<void(QProcess&, const QByteArray&)> unplugOnFirstChunk(const SimMac& mac, const QString& disk) {
    return [&mac, disk, unplugged = false](QProcess&, const QByteArray&) mutable {
        if (!unplugged) {
            unplugged = true;
            mac.detach(disk);
        }
    };
}

TEST(DiskutilVerify, PrintsEachLineAsItsOwnChunk) {
    SimMac mac;
    mac.attach("usb-exfat");
    mac.setConfig("LineDelayMs", 80);
    mac.setConfig("VerifyExtraLines", 3);
    const StreamedRun run = StreamedRun::run(mac, kDiskutil, {"verifyvolume", "/Volumes/USB/"});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = QString::fromUtf8(run.out()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 17);
    EXPECT_TRUE(lines.first().startsWith("Started file system verification on disk"));
    EXPECT_TRUE(lines.first().endsWith(" (USB)"));
    EXPECT_EQ(lines.at(4), "Performing fsck_exfat -n -x /dev/r" +
                               mac.info("/Volumes/USB").value("DeviceIdentifier").toString());
    EXPECT_EQ(lines.at(10), "Checking item 1");
    EXPECT_EQ(lines.at(13), "The volume USB appears to be OK");
    EXPECT_EQ(lines.at(14), "File system check exit code is 0");
    EXPECT_GE(run.chunks.size(), 12) << "lines arrive one by one, not in one block";
}

TEST(DiskutilVerify, DamagedVolumeFailsAndChangesNothing) {
    SimMac mac;
    const QString disk = mac.attach("usb-hfs");
    mac.simctl({"set", disk + "s2", "Damaged", "true"});
    const qsizetype events = mac.events().size();
    const ToolRun result = mac.run(kDiskutil, {"verifyVolume", disk + "s2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(
        result.out.contains("The volume USB HFS was found corrupt and needs to be repaired\n"
                            "File system check exit code is 1\n"));
    EXPECT_EQ(result.err, "Error: -69845: File system verify or repair failed\n");
    EXPECT_EQ(mac.events().size(), events);
    EXPECT_EQ(mac.run(kDiskutil, {"verifyVolume", disk}).err,
              "Error: -69845: File system verify or repair failed\n")
        << "a disk with a partition map has no file system to check";
}

TEST(DiskutilRepair, RemountsAtTheSamePlaceAndClearsTheDamage) {
    SimMac mac;
    const QString disk = mac.attach("usb-hfs");
    const QString volume = disk + "s2";
    mac.simctl({"set", volume, "Damaged", "true"});
    const qsizetype before = mac.events().size();
    const ToolRun result = mac.run(kDiskutil, {"repairvolume", "/Volumes/USB HFS/"});
    EXPECT_EQ(result.exitCode, 0);
    const QStringList lines = QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.at(1), "Volume was successfully unmounted");
    EXPECT_EQ(lines.at(2), "Performing fsck_hfs -y -x /dev/r" + volume);
    EXPECT_TRUE(lines.contains("The volume USB HFS was repaired successfully"));
    EXPECT_EQ(lines.last(), "Finished file system repair on " + volume + " (USB HFS)");
    EXPECT_EQ(mac.info(volume).value("MountPoint"), "/Volumes/USB HFS");
    EXPECT_EQ(mac.run(kDiskutil, {"verifyvolume", volume}).exitCode, 0) << "no longer damaged";
    const auto events = mac.eventRecords(before);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events.at(0).name, "didUnmount");
    EXPECT_EQ(events.at(1).name, "didMount");
}

TEST(DiskutilRepair, RefusesTheRootAndBusyVolumes) {
    SimMac mac;
    const ToolRun root = mac.run(kDiskutil, {"repairvolume", "/"});
    EXPECT_EQ(root.exitCode, 1);
    EXPECT_EQ(root.err, "Error: -69842: Unable to unmount volume for repair\n");
    const QString disk = mac.attach("usb-exfat");
    mac.simctl({"set", disk + "s2", "Busy", "true"});
    EXPECT_EQ(mac.run(kDiskutil, {"repairvolume", disk + "s2"}).exitCode, 1);
    EXPECT_EQ(mac.info(disk + "s2").value("MountPoint"), "/Volumes/USB");
}

// A disk pulled out while First Aid is still writing ends it with the disk-disappeared error.
TEST(DiskutilVerify, UnpluggingTheDiskMidStreamEndsIt) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    mac.setConfig("LineDelayMs", 150);
    mac.setConfig("VerifyExtraLines", 100);  // far longer than the unplug takes
    const StreamedRun run =
        StreamedRun::run(mac, kDiskutil, {"verifyvolume", "/Volumes/USB/"}, unplugOnFirstChunk(mac, disk));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Error: -69808: The disk disappeared\n");
    EXPECT_FALSE(run.out().contains("appears to be OK"));
}

TEST(DiskutilEraseDisk, UnpluggingTheDiskMidStreamEndsIt) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    mac.setConfig("EraseDelayMs", 16000);  // far longer than the unplug takes
    const StreamedRun run = StreamedRun::run(mac, kDiskutil, {"eraseDisk", "APFS", "TavrunSystem", disk},
                                             unplugOnFirstChunk(mac, disk));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Error: -69808: The disk disappeared\n");
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains(disk));
}

}  // namespace
