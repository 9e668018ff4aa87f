#include "tests/support/SimMac.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

const QString kDiskutil = QStringLiteral("/usr/sbin/diskutil");

QStringList names(const QList<simmac::SimEvent>& events) {
    QStringList out;
    for (const simmac::SimEvent& e : events) {
        out.append(e.name + QLatin1Char(' ') + e.bsd);
    }
    return out;
}

TEST(DiskutilEraseVolume, ErasesIntoTheNewFileSystemAndName) {
    SimMac mac;
    const QString disk = mac.attach("usb-hfs");
    const QString volume = disk + "s2";
    const QString oldUuid = mac.info(volume).value("VolumeUUID").toString();
    const ToolRun result = mac.run(kDiskutil, {"eraseVolume", "MS-DOS FAT32", "my disk", "/dev/" + volume});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Started erase on " + volume.toUtf8() +
                              " USB HFS\nUnmounting disk\nErasing\nInitialized /dev/r" + volume.toUtf8() +
                              " as a MS-DOS FAT32 volume\nMounting disk\nFinished erase on " +
                              volume.toUtf8() + " (MY DISK)\n");
    const QVariantMap info = mac.info(volume);
    EXPECT_EQ(info.value("VolumeName"), "MY DISK") << "FAT names are upper-cased";
    EXPECT_EQ(info.value("FilesystemName"), "MS-DOS FAT32");
    EXPECT_EQ(info.value("Content"), "Microsoft Basic Data");
    EXPECT_NE(info.value("VolumeUUID"), oldUuid);
    EXPECT_EQ(info.value("MountPoint"), "/Volumes/MY DISK");
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/MY DISK/Documents"))) << "the content is gone";
}

TEST(DiskutilEraseVolume, ApfsOnAPartitionMakesAStoreAndAContainer) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    const qsizetype before = mac.events().size();
    ASSERT_EQ(mac.run(kDiskutil, {"eraseVolume", "APFS", "", disk + "s2"}).exitCode, 0);
    const QVariantMap store = mac.info(disk + "s2");
    EXPECT_EQ(store.value("Content"), "Apple_APFS");
    const QString container = store.value("APFSContainerReference").toString();
    ASSERT_FALSE(container.isEmpty());
    const QVariantMap volume = mac.info(container + "s1");
    EXPECT_EQ(volume.value("VolumeName"), "Untitled");
    EXPECT_EQ(volume.value("MountPoint"), "/Volumes/Untitled");
    EXPECT_EQ(names(mac.eventRecords(before)),
              (QStringList{"didUnmount " + disk + "s2", "diskAppeared " + container,
                           "diskAppeared " + container + "s1", "didMount " + container + "s1"}));
}

TEST(DiskutilEraseVolume, RefusalsLeaveTheVolumeAlone) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    const QString volume = disk + "s2";
    const ToolRun badFs = mac.run(kDiskutil, {"eraseVolume", "ZFS", "X", volume});
    EXPECT_EQ(badFs.exitCode, 1);
    EXPECT_EQ(badFs.err, "ZFS does not appear to be a valid file system format\n");
    EXPECT_EQ(mac.run(kDiskutil, {"eraseVolume", "ExFAT", "X", disk}).err,
              "Use \"diskutil eraseDisk\" for a whole disk\n");
    EXPECT_EQ(mac.run(kDiskutil, {"eraseVolume", "MS-DOS", "TOO LONG NAME", volume}).exitCode, 1);
    mac.simctl({"set", volume, "Busy", "true"});
    const ToolRun busy = mac.run(kDiskutil, {"eraseVolume", "ExFAT", "X", volume});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err, "Error: -69888: Couldn't unmount disk\n");
    EXPECT_EQ(mac.run(kDiskutil, {"eraseVolume", "APFS", "X", "/"}).err,
              "Error: -69888: Couldn't unmount disk\n");
    EXPECT_TRUE(QFileInfo::exists(mac.host("/Volumes/USB/Documents/notes.txt")));
}

TEST(DiskutilReformat, KeepsFileSystemAndNameOfAnApfsVolume) {
    SimMac mac;
    const QString disk = mac.attach("usb-apfs");
    const QString container = mac.info(disk + "s2").value("APFSContainerReference").toString();
    const QString volume = container + "s1";
    mac.run(kDiskutil, {"rename", volume, "Fresh Name"});
    const QString uuid = mac.info(volume).value("VolumeUUID").toString();
    const ToolRun result = mac.run(kDiskutil, {"reformat", volume});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith("Started erase on " + volume.toUtf8() + " Fresh Name\n"));
    const QVariantMap info = mac.info(volume);
    EXPECT_EQ(info.value("VolumeName"), "Fresh Name");
    EXPECT_EQ(info.value("FilesystemName"), "APFS");
    EXPECT_NE(info.value("VolumeUUID"), uuid);
    EXPECT_EQ(info.value("DiskUUID"), info.value("VolumeUUID"));
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/Fresh Name/Documents")));
}

struct EraseDiskCase {
    const char* fs;
    const char* scheme;
    const char* content;  // of the whole disk afterwards
    const char* personality;
    bool container;
    const char* mountPoint;  // the name is "Backup", upper-cased on FAT
    const char* formattedAs;
    const char* initialized;  // how the "Initialized" line ends
};

class EraseDisk : public ::testing::TestWithParam<EraseDiskCase> {};

TEST_P(EraseDisk, RepartitionsTheWholeDisk) {
    SimMac mac;
    const EraseDiskCase& c = GetParam();
    const QString disk = mac.attach("usb-apfs");
    const QString oldContainer = mac.info(disk + "s2").value("APFSContainerReference").toString();
    QStringList args{"eraseDisk", QString::fromLatin1(c.fs), "Backup"};
    if (*c.scheme != '\0') {
        args.append(QString::fromLatin1(c.scheme));
    }
    args.append(disk);
    const qsizetype before = mac.events().size();
    const ToolRun result = mac.run(kDiskutil, args);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines.first(), "Started erase on " + disk);
    EXPECT_EQ(lines.at(2), "Creating the partition map");
    EXPECT_EQ(lines.at(4), QStringLiteral("Formatting %1 as %2 with name %3")
                               .arg(lines.at(5).section(' ', 1, 1).mid(6), QLatin1String(c.formattedAs),
                                    QString::fromLatin1(c.mountPoint).mid(9)));
    EXPECT_TRUE(lines.at(5).endsWith(QLatin1String(c.initialized))) << lines.at(5).toStdString();
    EXPECT_EQ(lines.last(), "Finished erase on " + disk);
    const QVariantMap volume = mac.info(QString::fromLatin1(c.mountPoint));
    EXPECT_EQ(volume.value("FilesystemName"), QLatin1String(c.personality));
    EXPECT_EQ(mac.info(disk).value("Content"), QLatin1String(c.content));
    EXPECT_EQ(volume.value("ParentWholeDisk").toString() != disk, c.container);
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains(oldContainer) && !c.container)
        << "the old container is gone";
    const QStringList events = names(mac.eventRecords(before));
    EXPECT_EQ(events.first(), "didUnmount " + oldContainer + "s1");
    EXPECT_EQ(events.last(), "didMount " + volume.value("DeviceIdentifier").toString());
    EXPECT_TRUE(events.contains("diskDisappeared " + oldContainer));
}

INSTANTIATE_TEST_SUITE_P(
    FileSystems, EraseDisk,
    ::testing::Values(EraseDiskCase{"APFS", "", "GUID_partition_scheme", "APFS", true, "/Volumes/Backup",
                                    "APFS", " as a APFS volume"},
                      EraseDiskCase{"JHFS+", "GPT", "GUID_partition_scheme", "Journaled HFS+", false,
                                    "/Volumes/Backup", "Journaled HFS+",
                                    " GB case-insensitive HFS Plus volume"},
                      EraseDiskCase{"HFS+", "", "GUID_partition_scheme", "HFS+", false, "/Volumes/Backup",
                                    "HFS+", " GB case-insensitive HFS Plus volume"},
                      EraseDiskCase{"MS-DOS", "MBR", "FDisk_partition_scheme", "MS-DOS FAT32", false,
                                    "/Volumes/BACKUP", "MS-DOS (FAT32)", " as a MS-DOS FAT32 volume"},
                      EraseDiskCase{"ExFAT", "GPTFormat", "GUID_partition_scheme", "ExFAT", false,
                                    "/Volumes/Backup", "ExFAT", " as a ExFAT volume"}));

TEST(DiskutilEraseDisk, GuidLayoutHasAnUnmountedEfiPartition) {
    SimMac mac;
    const QString disk = mac.attach("usb-blank");
    ASSERT_EQ(mac.run(kDiskutil, {"eraseDisk", "JHFS+", "Backup", disk}).exitCode, 0);
    const QVariantMap efi = mac.info(disk + "s1");
    EXPECT_EQ(efi.value("Content"), "EFI");
    EXPECT_EQ(efi.value("Size").toLongLong(), 209715200);
    EXPECT_EQ(efi.value("VolumeName"), "EFI");
    EXPECT_EQ(efi.value("MountPoint"), "");
    EXPECT_EQ(mac.info(disk + "s2").value("MountPoint"), "/Volumes/Backup");
}

TEST(DiskutilEraseDisk, RefusesTheSystemDiskAndBusyDisks) {
    SimMac mac;
    for (const QString& target : {QStringLiteral("disk0"), QStringLiteral("disk3"), QStringLiteral("/")}) {
        const ToolRun result = mac.run(kDiskutil, {"eraseDisk", "APFS", "X", target});
        EXPECT_EQ(result.exitCode, 1) << target.toStdString();
    }
    const ToolRun root = mac.run(kDiskutil, {"eraseDisk", "JHFS+", "X", "disk0"});
    EXPECT_EQ(root.out, "Started erase on disk0\nUnmounting disk\n");
    EXPECT_EQ(root.err, "Error: -69888: Couldn't unmount disk\n");
    const QString disk = mac.attach("usb-exfat");
    mac.simctl({"set", disk + "s2", "Busy", "true"});
    EXPECT_EQ(mac.run(kDiskutil, {"eraseDisk", "JHFS+", "X", disk}).err,
              "Error: -69888: Couldn't unmount disk\n");
    EXPECT_EQ(mac.info(disk + "s2").value("VolumeName"), "USB");
    EXPECT_EQ(mac.run(kDiskutil, {"eraseDisk", "NTFS", "X", disk}).err,
              "NTFS does not appear to be a valid file system format\n");
}

TEST(DiskutilResizeVolume, ShrinksAndAddsAMountedVolume) {
    SimMac mac;
    const QString disk = mac.attach("usb-hfs");
    const qint64 total = mac.info(disk + "s2").value("TotalSize").toLongLong();
    const QString newSize = QString::number(total - 2500000000) + "B";
    const ToolRun result =
        mac.run(kDiskutil, {"resizeVolume", disk + "s2", newSize, "JHFS+", "TavrunSystem", "2500000000B"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Resizing to " + QByteArray::number(total - 2500000000) +
                              " bytes and adding 1 volume\nFinished partitioning on " + disk.toUtf8() + "\n");
    EXPECT_EQ(mac.info(disk + "s2").value("Size").toLongLong(), total - 2500000000);
    const QVariantMap added = mac.info(disk + "s3");
    EXPECT_EQ(added.value("MountPoint"), "/Volumes/TavrunSystem");
    EXPECT_EQ(added.value("Size").toLongLong(), 2500000000);
    EXPECT_TRUE(QFileInfo(mac.host("/Volumes/TavrunSystem")).isDir());
}

TEST(DiskutilResizeVolume, RefusesFatAndSizesThatDoNotFit) {
    SimMac mac;
    const QString fat = mac.attach("usb-exfat");
    EXPECT_EQ(
        mac.run(kDiskutil, {"resizeVolume", fat + "s2", "1000000000B", "JHFS+", "X", "2500000000B"}).err,
        "Error: -69743: The target disk is not resizable\n");
    const QString hfs = mac.attach("usb-hfs");
    const QString tooSmall = "Error: -69519: The target disk is too small for this operation\n";
    EXPECT_EQ(mac.run(kDiskutil, {"resizeVolume", hfs + "s2", "1000B"}).err, tooSmall)
        << "below the used space";
    EXPECT_EQ(
        mac.run(kDiskutil, {"resizeVolume", hfs + "s2", "60000000000B", "JHFS+", "X", "5000000000B"}).err,
        tooSmall);
    EXPECT_EQ(mac.info(hfs + "s2").value("Size").toLongLong(), 64000000000 - 209715200 - 40960);
}

}  // namespace

namespace {

// Erasing or ejecting a disk whose nodes carry no file system (an APFS store, a disk without a scheme)
// must not touch the content other disks keep while they are unmounted or unplugged.
TEST(DiskutilEraseDisk, LeavesTheContentOfOtherDisksAlone) {
    SimMac mac;
    const QString kept = mac.attach("usb-exfat");
    mac.detach(kept);
    const QString apfs = mac.attach("usb-apfs");
    ASSERT_EQ(mac.run(kDiskutil, {"eraseDisk", "JHFS+", "New", apfs}).exitCode, 0);
    const QString blank = mac.attach("usb-blank");
    ASSERT_EQ(mac.run(kDiskutil, {"eject", blank}).exitCode, 0);
    ASSERT_EQ(mac.run(kDiskutil, {"unmount", "/Volumes/New"}).exitCode, 0);
    ASSERT_EQ(mac.run(kDiskutil, {"eject", apfs}).exitCode, 0);
    mac.attach(kept);
    EXPECT_TRUE(QFileInfo::exists(mac.host("/Volumes/USB/Documents/notes.txt")));
}

}  // namespace
