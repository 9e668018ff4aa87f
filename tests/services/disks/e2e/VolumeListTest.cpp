// The volume rules against whole simulated Macs: which volumes are listed, with which dictionary and
// which Disk Tool record.
#include "tests/services/disks/e2e/VolumeEnumeration.h"

#include "services/disks/VolumeObj.h"

using testsupport::SimMac;

namespace {

QVariantMap volumeNamed(const QList<QVariantMap>& volumes, const QString& name) {
    for (const QVariantMap& v : volumes) {
        if (v.value("volumeName") == name) {
            return v;
        }
    }
    ADD_FAILURE() << name.toStdString() << " is not listed";
    return {};
}

qint64 number(const QVariantMap& info, const char* key) {
    return info.value(QLatin1String(key)).toLongLong();
}

TEST(VolumeList, AppleSiliconSystemWithUsbTinyAndImageVolumes) {
    SimMac sim("apple-silicon-13");
    const QString exfat = sim.attach("usb-exfat", {"--name", "MyUSB"});
    const QString fat32 = sim.attach("usb-fat32-mbr");
    sim.attach("usb-tiny");  // its one volume holds 20,000,000 bytes
    const QString image = attachImage(sim, "TavrunDmg");
    ASSERT_EQ(sim.info(image + "s1").value("MountPoint"), "/Volumes/TavrunDmg");

    const QList<QVariantMap> volumes = enumerateVolumes();
    // Left out: the ISC, Recovery and main containers' stores and auxiliary volumes, the unmounted System
    // volume under its snapshot, Preboot (the disk's own booter), Data, VM, Update, the tiny and the image
    // volume, and every EFI partition.
    EXPECT_EQ(volumeNames(volumes), (QStringList{"Macintosh HD", "MyUSB", "NO NAME"}));

    const QVariantMap root = volumeNamed(volumes, "Macintosh HD");
    const QVariantMap rootInfo = sim.info("disk3s1s1");
    ASSERT_EQ(rootInfo.value("FreeSpace").toLongLong(), 0)
        << "APFS volumes report their free space per container";
    const qint64 containerFree = number(rootInfo, "APFSContainerFree");
    EXPECT_EQ(root, (QVariantMap{{"FreeSpace", QString::number(containerFree)},
                                 {"TotalSize", "494384795648"},
                                 {"OSvolume", "YES"},  // the first dictionary after "/" was recognised
                                 {"volumeName", "Macintosh HD"},
                                 {"volumePath", "disk3s1s1"},
                                 {"volumeTotalSize", "494.38 GB"},
                                 {"volumeFreeSize", convertSize2String(static_cast<quint64>(containerFree))},
                                 {"Writable", false},
                                 {"BusProtocol", "Apple Fabric"},
                                 {"Ejectable", false},
                                 {"FilesystemName", "APFS"},
                                 {"DeviceNode", "/dev/disk3s1s1"},
                                 {"MountPoint", "/"},
                                 {"ParentWholeDisk", "disk3"},
                                 {"DiskUUID", rootInfo.value("DiskUUID")}}));

    const QVariantMap usb = volumeNamed(volumes, "MyUSB");
    const QVariantMap usbInfo = sim.info(exfat + "s2");
    const qint64 usbSize = 32000000000 - 209715200 - 40960;
    EXPECT_EQ(usb.value("volumePath"), exfat + "s2");
    EXPECT_EQ(usb.value("TotalSize"), QString::number(usbSize));
    EXPECT_EQ(usb.value("volumeTotalSize"), "31.79 GB");
    EXPECT_EQ(usb.value("FreeSpace"), QString::number(number(usbInfo, "FreeSpace")));
    EXPECT_GT(number(usbInfo, "FreeSpace"), 0);
    EXPECT_EQ(usb.value("OSvolume"), "NO");
    EXPECT_EQ(usb.value("DiskUUID"), usbInfo.value("DiskUUID"));

    const VolumeObj record = volumeObjFromVolumeInfo(usb);
    EXPECT_EQ(record.volumeName, "MyUSB");
    EXPECT_EQ(record.volumePath, exfat + "s2");
    EXPECT_EQ(record.volumeMountPoint, "/Volumes/MyUSB");
    EXPECT_EQ(record.diskType, "ExFAT");
    EXPECT_EQ(record.BusProtocol, "USB");
    EXPECT_TRUE(record.bCanEject);
    EXPECT_TRUE(record.isWritable);
    EXPECT_EQ(record.volumeTotalSizeNum, usbSize);
    EXPECT_EQ(record.volumeFreeSizeNum, number(usbInfo, "FreeSpace"));
    EXPECT_EQ(record.volRootDir, "/dev/" + exfat + "s2");
    EXPECT_EQ(record.parentWholeDisk, exfat);
    EXPECT_FALSE(record.diskUUID.isEmpty());

    const QVariantMap mbr = volumeNamed(volumes, "NO NAME");
    EXPECT_EQ(mbr.value("volumePath"), fat32 + "s1");
    EXPECT_EQ(mbr.value("FilesystemName"), "MS-DOS FAT32");
    EXPECT_EQ(mbr.value("volumeTotalSize"), "16.00 GB");
    EXPECT_FALSE(mbr.contains("DiskUUID")) << "an MBR partition has no DiskUUID";
    EXPECT_TRUE(volumeObjFromVolumeInfo(mbr).diskUUID.isEmpty());
}

TEST(VolumeList, IntelApfsSystemWithCardAndThunderboltDisk) {
    SimMac sim("intel-12");
    const QString card = sim.attach("sd-card");
    const QString ssd = sim.attach("tb-ssd");
    const QList<QVariantMap> volumes = enumerateVolumes();
    EXPECT_EQ(volumeNames(volumes), (QStringList{"Macintosh HD", "SD CARD", "Thunder"}));

    const QVariantMap root = volumeNamed(volumes, "Macintosh HD");
    EXPECT_EQ(root.value("volumePath"), "disk1s1s1");
    EXPECT_EQ(root.value("MountPoint"), "/");
    EXPECT_EQ(root.value("BusProtocol"), "PCI-Express");
    EXPECT_EQ(root.value("OSvolume"), "YES");

    const QVariantMap sd = volumeNamed(volumes, "SD CARD");
    EXPECT_EQ(sd.value("BusProtocol"), "Secure Digital");
    EXPECT_EQ(sd.value("Ejectable"), true) << "an internal card reader's card is ejectable";
    EXPECT_EQ(sd.value("volumePath"), card + "s1");

    // An APFS volume of an external container: its size is the container's, its free space the container's.
    const QVariantMap thunder = volumeNamed(volumes, "Thunder");
    const QVariantMap info = sim.info(thunder.value("volumePath").toString());
    EXPECT_EQ(thunder.value("FilesystemName"), "APFS");
    EXPECT_EQ(thunder.value("Ejectable"), true);
    EXPECT_EQ(thunder.value("FreeSpace"), QString::number(number(info, "APFSContainerFree")));
    EXPECT_EQ(thunder.value("TotalSize"), QString::number(number(info, "TotalSize")));
    EXPECT_NE(thunder.value("ParentWholeDisk"), ssd) << "the container, not the physical disk";
}

TEST(VolumeList, MojaveSystemListsItsMountedVmVolume) {
    SimMac sim("intel-10.14");
    const QList<QVariantMap> volumes = enumerateVolumes();
    // Only an unmounted VM volume or one at "/System/Volumes/VM" is left out: Mojave's sits at
    // "/private/var/vm". Preboot and Recovery are not mounted.
    EXPECT_EQ(volumeNames(volumes), (QStringList{"Macintosh HD", "VM"}));
    EXPECT_EQ(volumeNamed(volumes, "VM").value("MountPoint"), "/private/var/vm");
    EXPECT_EQ(volumeNamed(volumes, "Macintosh HD").value("volumePath"), "disk1s1");
    EXPECT_EQ(volumeNamed(volumes, "Macintosh HD").value("Writable"), true);
    // "/" sits at position 0 of its container, and the File Manager's volume 1 is "/": nothing is marked.
    EXPECT_EQ(volumeNamed(volumes, "Macintosh HD").value("OSvolume"), "NO");
}

TEST(VolumeList, HfsSystemWithUsbFat32TinyAndImageVolumes) {
    SimMac sim("intel-10.12-hfs");
    const QString hfs = sim.attach("usb-hfs");
    const QString fat32 = sim.attach("usb-fat32-mbr", {"--name", "CAMERA"});
    sim.attach("usb-tiny");
    const QString image = attachImage(sim, "TavrunDmg");
    ASSERT_EQ(sim.info(image + "s1").value("MountPoint"), "/Volumes/TavrunDmg");
    const QList<QVariantMap> volumes = enumerateVolumes();
    // EFI and "Recovery HD" (Apple_Boot) are left out by their partition type.
    EXPECT_EQ(volumeNames(volumes), (QStringList{"Macintosh HD", "USB HFS", "CAMERA"}));

    const QVariantMap root = volumeNamed(volumes, "Macintosh HD");
    const QVariantMap rootInfo = sim.info("disk0s2");
    EXPECT_EQ(root.value("volumePath"), "disk0s2");
    EXPECT_EQ(root.value("FilesystemName"), "Journaled HFS+");
    EXPECT_EQ(root.value("BusProtocol"), "SATA");
    EXPECT_EQ(root.value("OSvolume"), "YES") << "position 1 of disk0 is the File Manager's volume 1";
    EXPECT_EQ(root.value("FreeSpace"), QString::number(number(rootInfo, "FreeSpace")));
    EXPECT_EQ(root.value("TotalSize"), QString::number(500107862016 - 209715200 - 650002432 - 40960));

    EXPECT_EQ(volumeNamed(volumes, "USB HFS").value("volumePath"), hfs + "s2");
    EXPECT_EQ(volumeNamed(volumes, "USB HFS").value("OSvolume"), "NO");
    EXPECT_FALSE(volumeNamed(volumes, "CAMERA").contains("DiskUUID"));
    EXPECT_EQ(volumeNamed(volumes, "CAMERA").value("volumePath"), fat32 + "s1");
}

TEST(VolumeList, UnmountedExternalVolumesStayListedAndUnnamedOnesAreUntitled) {
    SimMac sim("intel-12");
    const QString usb = sim.attach("usb-hfs");
    sim.run("/usr/sbin/diskutil", {"unmount", usb + "s2"});
    sim.simctl({"set", usb + "s2", "VolumeName", ""});
    const QList<QVariantMap> volumes = enumerateVolumes();
    EXPECT_EQ(volumeNames(volumes), (QStringList{"Macintosh HD", "Untitled"}));
    EXPECT_EQ(volumeNamed(volumes, "Untitled").value("MountPoint"), "");
}

TEST(VolumeList, DiskTreeOfTheListedDisks) {
    SimMac sim("intel-10.12-hfs");
    sim.attach("usb-exfat");
    const QVariantList tree = CVolumeMgr().listAllDisksAndPartitions();
    ASSERT_EQ(tree.size(), 2);
    const QVariantMap system = tree[0].toMap();
    EXPECT_EQ(system.value("name"), "disk0");
    EXPECT_EQ(system.value("size"), 500107862016LL);
    const QVariantList partitions = system.value("partitions").toList();
    ASSERT_EQ(partitions.size(), 3);
    EXPECT_EQ(partitions[0].toMap().value("name"), "EFI");
    EXPECT_EQ(partitions[1].toMap().value("mountPoint"), "/");
    EXPECT_EQ(partitions[2].toMap().value("name"), "Recovery HD");
    EXPECT_EQ(partitions[2].toMap().value("mountPoint"), "");
    EXPECT_EQ(partitions[2].toMap().value("size"), 650002432LL);
}

}  // namespace
