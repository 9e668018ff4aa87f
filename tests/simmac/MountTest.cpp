#include "tests/support/SimMac.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

const QString kDiskutil = QStringLiteral("/usr/sbin/diskutil");

ToolRun diskutil(const SimMac& mac, const QStringList& args) {
    return mac.run(kDiskutil, args);
}

// Event lines from the given one on, decoded, without their sequence numbers.
QStringList eventsSince(const SimMac& mac, qsizetype first) {
    QStringList lines;
    for (const QString& line : mac.events().mid(first)) {
        QStringList fields;
        for (const QString& field : line.split(QLatin1Char('\t')).mid(1)) {
            fields.append(QUrl::fromPercentEncoding(field.toUtf8()));
        }
        lines.append(fields.join(QLatin1Char('\t')));
    }
    return lines;
}

QString mountPointOf(const SimMac& mac, const QString& device) {
    return mac.info(device).value("MountPoint").toString();
}

// Every accepted way of naming a volume reaches the same node.
TEST(DeviceResolution, EveryFormNamesTheSameVolume) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    const QString volume = disk + "s2";
    const QVariantMap info = mac.info(volume);
    const QString uuid = info.value("VolumeUUID").toString();
    const QString partitionUuid = info.value("DiskUUID").toString();
    for (const QString& form : {volume, "/dev/" + volume, "/dev/r" + volume, uuid, uuid.toLower(),
                                partitionUuid, QStringLiteral("/Volumes/USB"),
                                QStringLiteral("/Volumes/USB/"), QStringLiteral("/Volumes//USB/.")}) {
        EXPECT_EQ(mac.info(form).value("DeviceIdentifier"), volume) << form.toStdString();
    }
    for (const QString& form : {QStringLiteral("/Volumes/USB/Documents"), QStringLiteral("USB"), disk + "s9",
                                QStringLiteral("/dev/"), QStringLiteral("disk"), QStringLiteral("/../USB")}) {
        EXPECT_EQ(diskutil(mac, {"info", "-plist", form}).exitCode, 1) << form.toStdString();
    }
}

TEST(DiskutilMount, UnmountAndMountMoveTheFilesAndRecordEvents) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    const QString volume = disk + "s2";
    const qsizetype before = mac.events().size();
    const ToolRun unmount = diskutil(mac, {"unmount", volume});
    EXPECT_EQ(unmount.exitCode, 0);
    EXPECT_EQ(unmount.out, "Volume USB on " + volume.toUtf8() + " unmounted\n");
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/USB")));
    EXPECT_EQ(mountPointOf(mac, volume), "");
    EXPECT_EQ(mac.info(volume).value("FreeSpace").toLongLong(), 0);
    const ToolRun mount = diskutil(mac, {"mount", "/dev/" + volume});
    EXPECT_EQ(mount.out, "Volume USB on /dev/" + volume.toUtf8() + " mounted\n");
    EXPECT_TRUE(QFileInfo::exists(mac.host("/Volumes/USB/Documents/notes.txt"))) << "the files survive";
    EXPECT_EQ(eventsSince(mac, before), (QStringList{"didUnmount\t" + volume + "\t/Volumes/USB\tUSB\t",
                                                     "didMount\t" + volume + "\t/Volumes/USB\tUSB\t"}));
    EXPECT_EQ(diskutil(mac, {"mount", volume}).exitCode, 0) << "mounting a mounted volume succeeds";
}

TEST(DiskutilMount, RefusalsHaveTheirTexts) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    const ToolRun whole = diskutil(mac, {"mount", disk});
    EXPECT_EQ(whole.exitCode, 1);
    EXPECT_TRUE(whole.err.startsWith("Volume on " + disk.toUtf8() + " failed to mount\n"));
    EXPECT_TRUE(whole.out.isEmpty());
    EXPECT_EQ(diskutil(mac, {"mount", "disk0s2"}).err, "Volume on disk0s2 failed to mount\n")
        << "an APFS store";
    mac.simctl({"set", disk + "s2", "Busy", "true"});
    const ToolRun busy = diskutil(mac, {"unmount", disk + "s2"});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err,
              "Volume USB on " + disk.toUtf8() + "s2 failed to unmount: dissented by PID 4242 (simbusy)\n");
    EXPECT_EQ(diskutil(mac, {"unmount", "/"}).err,
              "Volume Macintosh HD on disk3s1s1 failed to unmount: dissented by PID 0 (kernel_task)\n");
    EXPECT_EQ(diskutil(mac, {"unmount", disk + "s1"}).err, disk.toUtf8() + "s1 was already unmounted\n");
    EXPECT_EQ(diskutil(mac, {"unmount", "disk42"}).err, "Could not find disk: disk42\n");
    mac.simctl({"set", disk + "s2", "Busy", "false"});
    diskutil(mac, {"unmount", disk + "s2"});
    mac.simctl({"set", disk + "s2", "Damaged", "true"});
    EXPECT_EQ(diskutil(mac, {"mount", disk + "s2"}).exitCode, 1) << "a damaged volume does not mount";
}

// However the volume was named, unmount's texts name it by its identifier; mount echoes the argument.
TEST(DiskutilMount, UnmountTextsNameTheIdentifier) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    const QByteArray id = (disk + "s2").toUtf8();
    const QString uuid = mac.info(disk + "s2").value("VolumeUUID").toString();
    mac.simctl({"set", disk + "s2", "Busy", "true"});
    EXPECT_EQ(diskutil(mac, {"unmount", "/Volumes/USB"}).err,
              "Volume USB on " + id + " failed to unmount: dissented by PID 4242 (simbusy)\n");
    mac.simctl({"set", disk + "s2", "Busy", "false"});
    EXPECT_EQ(diskutil(mac, {"unmount", "/Volumes/USB/"}).out, "Volume USB on " + id + " unmounted\n");
    EXPECT_EQ(diskutil(mac, {"unmount", uuid}).err, id + " was already unmounted\n");
    EXPECT_EQ(
        diskutil(mac, {"unmount", "/dev/r" + disk}).err,
        disk.toUtf8() +
            " was already unmounted or it has a partition scheme so use \"diskutil unmountDisk\" instead\n");
    EXPECT_EQ(diskutil(mac, {"mount", uuid}).out, "Volume USB on " + uuid.toUtf8() + " mounted\n");
}

TEST(DiskutilMount, SecondVolumeOfTheSameNameGetsANumberedFolder) {
    SimMac mac;
    const QString first = mac.attach("usb-exfat");
    const QString second = mac.attach("usb-exfat");
    EXPECT_EQ(mountPointOf(mac, first + "s2"), "/Volumes/USB");
    EXPECT_EQ(mountPointOf(mac, second + "s2"), "/Volumes/USB 1");
    const QString named = mac.attach("usb-hfs", {"--name", "Macintosh HD"});
    EXPECT_EQ(mountPointOf(mac, named + "s2"), "/Volumes/Macintosh HD 1")
        << "the link to / takes the plain name";
}

TEST(DiskutilMountDisk, CoversContainersOnThePhysicalDisk) {
    SimMac mac;
    const QString disk = mac.attach("usb-apfs");
    const QString container = mac.info(disk + "s2").value("APFSContainerReference").toString();
    const ToolRun unmount = diskutil(mac, {"unmountDisk", "/dev/" + disk});
    EXPECT_EQ(unmount.out, "Unmount of all volumes on " + disk.toUtf8() + " was successful\n");
    EXPECT_EQ(mountPointOf(mac, container + "s1"), "");
    const ToolRun mount = diskutil(mac, {"mountDisk", "/dev/" + disk});
    EXPECT_EQ(mount.out, "Volume(s) mounted successfully\n");
    EXPECT_EQ(mountPointOf(mac, container + "s1"), "/Volumes/USB APFS");
    EXPECT_EQ(mountPointOf(mac, disk + "s1"), "") << "EFI stays unmounted";
}

TEST(DiskutilMountDisk, MountsPrebootOfAContainerNamedByOneOfItsVolumes) {
    SimMac mac;
    EXPECT_EQ(diskutil(mac, {"mountDisk", "/dev/disk3s3"}).exitCode, 0);
    EXPECT_EQ(mountPointOf(mac, "disk3s3"), "/Volumes/Recovery");
    EXPECT_EQ(mountPointOf(mac, "disk3s1"), "/Volumes/Macintosh HD 1");
}

TEST(DiskutilUnmountDisk, BusyVolumeFailsButOthersStayUnmounted) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    mac.simctl({"set", disk + "s2", "Busy", "true"});
    const ToolRun result = diskutil(mac, {"unmountDisk", disk});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("Unmount of " + disk.toUtf8() +
                                      " failed: at least one volume could not be unmounted\n"));
    const ToolRun root = diskutil(mac, {"unmountDisk", "disk3"});
    EXPECT_EQ(root.exitCode, 1);
    EXPECT_EQ(mountPointOf(mac, "disk3s5"), "") << "the Data volume went, the root refused";
    EXPECT_EQ(mountPointOf(mac, "disk3s1s1"), "/");
}

TEST(DiskutilEject, MovesTheDiskToDetachedWithEventsInOrder) {
    SimMac mac;
    const QString disk = mac.attach("usb-apfs");
    const QString container = mac.info(disk + "s2").value("APFSContainerReference").toString();
    const qsizetype before = mac.events().size();
    const ToolRun result = diskutil(mac, {"eject", container + "s1"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Disk " + container.toUtf8() + "s1 ejected\n");
    EXPECT_EQ(
        eventsSince(mac, before),
        (QStringList{"didUnmount\t" + container + "s1\t/Volumes/USB APFS\tUSB APFS\t",
                     "diskDisappeared\t" + container + "s1\t\t\t", "diskDisappeared\t" + container + "\t\t\t",
                     "diskDisappeared\t" + disk + "s1\t\t\t", "diskDisappeared\t" + disk + "s2\t\t\t",
                     "diskDisappeared\t" + disk + "\t\t\t"}));
    EXPECT_EQ(mac.state().value("Detached").toList().size(), 1);
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains(disk));
    const QString again = mac.attach(disk);
    EXPECT_TRUE(QFileInfo::exists(mac.host("/Volumes/USB APFS/Documents/notes.txt")))
        << "re-plugged with its files";
    EXPECT_NE(again, disk);
}

TEST(DiskutilEject, RefusesInternalAndBusyDisks) {
    SimMac mac;
    const ToolRun internal = diskutil(mac, {"eject", "disk0"});
    EXPECT_EQ(internal.exitCode, 1);
    EXPECT_EQ(internal.err, "Disk disk0 failed to eject: the disk is not ejectable\n");
    const QString disk = mac.attach("usb-hfs");
    mac.simctl({"set", disk + "s2", "Busy", "true"});
    EXPECT_EQ(diskutil(mac, {"eject", disk}).exitCode, 1);
    EXPECT_TRUE(mac.list().value("WholeDisks").toStringList().contains(disk));
}

TEST(DiskutilRename, MovesTheMountFolderAndRecordsTheRename) {
    SimMac mac;
    const QString disk = mac.attach("usb-hfs");
    const QString uuid = mac.info(disk + "s2").value("DiskUUID").toString();
    const qsizetype before = mac.events().size();
    const ToolRun result = diskutil(mac, {"rename", uuid, "My $(Disk) \"x\""});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Volume on " + disk.toUtf8() + "s2 renamed to My $(Disk) \"x\"\n");
    EXPECT_EQ(mountPointOf(mac, disk + "s2"), "/Volumes/My $(Disk) \"x\"");
    EXPECT_TRUE(QFileInfo::exists(mac.host("/Volumes/My $(Disk) \"x\"/Documents/notes.txt")));
    EXPECT_EQ(eventsSince(mac, before),
              QStringList{"didRename\t" + disk +
                          "s2\t/Volumes/My $(Disk) \"x\"\tMy $(Disk) \"x\"\t/Volumes/USB HFS"});
}

struct NameCase {
    const char* preset;
    const char* mountPoint;
    QString name;
    bool valid;
};

class RenameNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(RenameNames, FileSystemRulesDecide) {
    SimMac mac;
    const NameCase& c = GetParam();
    mac.attach(QString::fromLatin1(c.preset));
    const ToolRun result = diskutil(mac, {"rename", QString::fromLatin1(c.mountPoint), c.name});
    EXPECT_EQ(result.exitCode, c.valid ? 0 : 1) << c.name.toStdString();
    if (!c.valid) {
        EXPECT_EQ(result.err, "Failed to rename volume: the name is not valid for this file system\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, RenameNames,
    ::testing::Values(NameCase{"usb-fat32-mbr", "/Volumes/NO NAME", "ELEVENCHARS", true},
                      NameCase{"usb-fat32-mbr", "/Volumes/NO NAME", "TWELVE_CHARS", false},
                      NameCase{"usb-fat32-mbr", "/Volumes/NO NAME", "A.B", false},
                      NameCase{"usb-fat32-mbr", "/Volumes/NO NAME", "A*B", false},
                      NameCase{"usb-fat32-mbr", "/Volumes/NO NAME", QString::fromUtf8("CAF\u00c9"), false},
                      NameCase{"usb-fat32-mbr", "/Volumes/NO NAME", "lower ok", true},
                      NameCase{"usb-exfat", "/Volumes/USB",
                               QString::fromUtf8("\u4e2d\u6587\u540d\u5b57abcdefg"), true},
                      NameCase{"usb-exfat", "/Volumes/USB", "twelve chars", false},
                      NameCase{"usb-hfs", "/Volumes/USB HFS", QString(255, QLatin1Char('h')), true},
                      NameCase{"usb-hfs", "/Volumes/USB HFS", QString(256, QLatin1Char('h')), false},
                      NameCase{"usb-apfs", "/Volumes/USB APFS", "", false}));

TEST(DiskutilRename, RefusesVolumesWithoutFileSystemOrReadOnly) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    EXPECT_EQ(diskutil(mac, {"rename", "disk0s2", "X"}).exitCode, 1);
    mac.simctl({"set", disk + "s2", "ReadOnly", "true"});
    const ToolRun readOnly = diskutil(mac, {"rename", disk + "s2", "X"});
    EXPECT_EQ(readOnly.exitCode, 1);
    EXPECT_EQ(mac.info(disk + "s2").value("VolumeName"), "USB");
    EXPECT_EQ(mac.info(disk + "s2").value("Writable"), false);
}

TEST(DiskutilRename, RootRenamesTheSnapshotAndItsSystemVolume) {
    SimMac mac;
    EXPECT_EQ(diskutil(mac, {"rename", "/", "Renamed HD"}).exitCode, 0);
    EXPECT_EQ(mac.info("disk3s1").value("VolumeName"), "Renamed HD");
    EXPECT_EQ(mac.info("/").value("VolumeName"), "Renamed HD");
    EXPECT_EQ(mountPointOf(mac, "disk3s1s1"), "/");
}

TEST(DiskutilUsage, UnknownVerbsAndBadArityPrintUsage) {
    SimMac mac;
    for (const QStringList& args : {QStringList{}, QStringList{"frobnicate"}, QStringList{"mount"},
                                    QStringList{"rename", "disk0s1"}, QStringList{"info", "-plist"}}) {
        const ToolRun result = diskutil(mac, args);
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains("Usage:")) << args.join(' ').toStdString();
    }
    EXPECT_EQ(diskutil(mac, {"MOUNTDISK", "disk3"}).exitCode, 0) << "verbs ignore case";
}

}  // namespace
