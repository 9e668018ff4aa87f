#include "tests/support/SimMac.h"

#include "platform/PropertyList.h"

#include <gtest/gtest.h>

using testsupport::SimMac;

namespace {

const QString kDiskutil = QStringLiteral("/usr/sbin/diskutil");

// Keys `info -plist` gives for every node, with their types.
const QList<QPair<const char*, QMetaType::Type>> kAlwaysKeys{
    {"DeviceIdentifier", QMetaType::QString},
    {"DeviceNode", QMetaType::QString},
    {"WholeDisk", QMetaType::Bool},
    {"ParentWholeDisk", QMetaType::QString},
    {"Size", QMetaType::LongLong},
    {"TotalSize", QMetaType::LongLong},
    {"BusProtocol", QMetaType::QString},
    {"Internal", QMetaType::Bool},
    {"Ejectable", QMetaType::Bool},
    {"Removable", QMetaType::Bool},
    {"RemovableMedia", QMetaType::Bool},
    {"RemovableMediaOrExternalDevice", QMetaType::Bool},
    {"SolidState", QMetaType::Bool},
    {"VirtualOrPhysical", QMetaType::QString},
    {"MediaName", QMetaType::QString},
    {"IORegistryEntryName", QMetaType::QString},
    {"MediaType", QMetaType::QString},
    {"DeviceBlockSize", QMetaType::LongLong},
    {"WritableMedia", QMetaType::Bool},
    {"OSInternalMedia", QMetaType::Bool},
    {"RAIDMaster", QMetaType::Bool},
    {"RAIDSlice", QMetaType::Bool},
    {"Content", QMetaType::QString},
    {"MountPoint", QMetaType::QString},
    {"VolumeName", QMetaType::QString},
    {"FreeSpace", QMetaType::LongLong},
    {"Writable", QMetaType::Bool},
    {"WritableVolume", QMetaType::Bool},
};

const QList<QPair<const char*, QMetaType::Type>> kFileSystemKeys{
    {"FilesystemType", QMetaType::QString},
    {"FilesystemName", QMetaType::QString},
    {"FilesystemUserVisibleName", QMetaType::QString},
    {"VolumeUUID", QMetaType::QString},
};

const QList<QPair<const char*, QMetaType::Type>> kApfsVolumeKeys{
    {"APFSContainerReference", QMetaType::QString}, {"APFSPhysicalStores", QMetaType::QVariantList},
    {"APFSContainerSize", QMetaType::LongLong},     {"APFSContainerFree", QMetaType::LongLong},
    {"CapacityInUse", QMetaType::LongLong},
};

void expectKeys(const QVariantMap& info, const QList<QPair<const char*, QMetaType::Type>>& keys) {
    for (const auto& [key, type] : keys) {
        ASSERT_TRUE(info.contains(QLatin1String(key)))
            << key << " missing for " << info.value("DeviceIdentifier").toString().toStdString();
        EXPECT_EQ(info.value(QLatin1String(key)).typeId(), type)
            << key << " of " << info.value("DeviceIdentifier").toString().toStdString();
    }
}

struct Machine {
    const char* mac;
    const char* device;  // a device preset attached as well
};

class EveryNode : public ::testing::TestWithParam<Machine> {};

// Every node of every preset answers `info` with the documented keys and types, and the listing and the
// info agree on what exists.
TEST_P(EveryNode, InfoHasTheKeysOfItsKind) {
    SimMac mac(QString::fromLatin1(GetParam().mac));
    mac.attach(QString::fromLatin1(GetParam().device));
    const QVariantMap list = mac.list();
    const QStringList all = list.value("AllDisks").toStringList();
    ASSERT_FALSE(all.isEmpty());
    for (const QString& id : all) {
        const QVariantMap info = mac.info(id);
        ASSERT_FALSE(info.isEmpty()) << id.toStdString();
        const QByteArray warned = mac.run(kDiskutil, {"info", "-plist", id}).err;
        EXPECT_TRUE(warned.isEmpty())
            << id.toStdString() << ": every volume has its folder: " << warned.toStdString();
        expectKeys(info, kAlwaysKeys);
        EXPECT_EQ(info.value("DeviceIdentifier").toString(), id);
        EXPECT_EQ(info.value("DeviceNode").toString(), "/dev/" + id);
        EXPECT_EQ(info.value("TotalSize"), info.value("Size"));
        if (info.contains("FilesystemName")) {
            expectKeys(info, kFileSystemKeys);
        }
        const bool apfsVolume = info.value("Content") == "41504653-0000-11AA-AA11-00306543ECAC";
        if (apfsVolume) {
            expectKeys(info, kApfsVolumeKeys);
            EXPECT_EQ(info.value("DiskUUID"), info.value("VolumeUUID")) << id.toStdString();
            EXPECT_EQ(info.value("Size"), info.value("APFSContainerSize"));
            EXPECT_EQ(info.value("FreeSpace").toLongLong(), 0);
        }
        if (info.value("Content") == "EF57347C-0000-11AA-AA11-00306543ECAC") {
            EXPECT_FALSE(info.contains("FilesystemName")) << "a container has no file system";
            EXPECT_EQ(info.value("APFSContainerReference").toString(), id);
            EXPECT_EQ(info.value("VirtualOrPhysical").toString(), "Virtual");
        }
        EXPECT_EQ(info.value("WholeDisk").toBool(), list.value("WholeDisks").toStringList().contains(id));
    }
    // Whole disks are listed with "Size" only, and with "Partitions" only when they have a scheme.
    for (const QVariant& value : list.value("AllDisksAndPartitions").toList()) {
        const QVariantMap disk = value.toMap();
        const QString content = disk.value("Content").toString();
        const bool container = content == "EF57347C-0000-11AA-AA11-00306543ECAC";
        EXPECT_TRUE(disk.contains("Size"));
        EXPECT_FALSE(disk.contains("TotalSize"));
        EXPECT_EQ(disk.contains("Partitions"), container || content.endsWith("_partition_scheme"))
            << disk.value("DeviceIdentifier").toString().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Presets, EveryNode,
                         ::testing::Values(Machine{"apple-silicon-13", "usb-apfs"},
                                           Machine{"intel-12", "usb-exfat"}, Machine{"intel-12", "usb-blank"},
                                           Machine{"intel-10.14", "usb-fat32-mbr"},
                                           Machine{"intel-10.12-hfs", "usb-hfsx"},
                                           Machine{"intel-10.14", "usb-cs-encrypted"}));

TEST(DiskutilList, ListsDisksInNumberOrderWithTheirNodes) {
    SimMac mac;
    const QVariantMap list = mac.list();
    EXPECT_EQ(list.value("WholeDisks").toStringList(), (QStringList{"disk0", "disk1", "disk2", "disk3"}));
    const QStringList all = list.value("AllDisks").toStringList();
    EXPECT_EQ(all.mid(0, 4), (QStringList{"disk0", "disk0s1", "disk0s2", "disk0s3"}));
    EXPECT_LT(all.indexOf("disk3s1"), all.indexOf("disk3s1s1"));
    const QVariantList entries = list.value("AllDisksAndPartitions").toList();
    ASSERT_EQ(entries.size(), 4);
    const QVariantMap container = entries.at(3).toMap();
    EXPECT_EQ(container.value("Content").toString(), "EF57347C-0000-11AA-AA11-00306543ECAC");
    EXPECT_EQ(container.value("Partitions").toList().size(), 0)
        << "containers list an empty Partitions array";
    EXPECT_EQ(container.value("APFSPhysicalStores").toList().value(0).toMap().value("DeviceIdentifier"),
              "disk0s2");
    const QVariantList volumes = container.value("APFSVolumes").toList();
    ASSERT_GE(volumes.size(), 2);
    const QVariantMap system = volumes.at(0).toMap();
    const QVariantMap snapshot = volumes.at(1).toMap();
    EXPECT_FALSE(system.contains("MountPoint")) << "the sealed system volume itself is not mounted";
    EXPECT_EQ(snapshot.value("DeviceIdentifier"), "disk3s1s1");
    EXPECT_EQ(snapshot.value("MountPoint"), "/");
    EXPECT_EQ(system.value("MountedSnapshots").toList().value(0).toMap().value("SnapshotBSD"), "disk3s1s1");
    for (const QVariant& v : volumes) {
        const QVariantMap entry = v.toMap();
        EXPECT_EQ(entry.value("Size"), container.value("Size")) << "APFS volumes list their container's size";
        EXPECT_FALSE(entry.contains("TotalSize"));
        EXPECT_FALSE(entry.contains("FilesystemName"));
        EXPECT_EQ(entry.value("DiskUUID"), entry.value("VolumeUUID"));
    }
    const QStringList mounted = list.value("VolumesFromDisks").toStringList();
    EXPECT_TRUE(mounted.contains("Macintosh HD - Data"));
    EXPECT_FALSE(mounted.contains("Recovery"));
}

TEST(DiskutilList, PartitionEntriesCarryVolumeKeysOnlyWithAFileSystem) {
    SimMac mac(QStringLiteral("intel-12"));
    const QString mbr = mac.attach("usb-fat32-mbr");
    const QVariantList partitions =
        mac.list().value("AllDisksAndPartitions").toList().at(0).toMap().value("Partitions").toList();
    const QVariantMap efi = partitions.at(0).toMap();
    const QVariantMap store = partitions.at(1).toMap();
    EXPECT_EQ(efi.value("VolumeName"), "EFI");
    EXPECT_FALSE(efi.contains("MountPoint"));
    EXPECT_FALSE(store.contains("VolumeName"));
    EXPECT_FALSE(store.contains("VolumeUUID"));
    EXPECT_TRUE(store.contains("DiskUUID"));
    const QVariantMap fat = mac.info(mbr + "s1");
    EXPECT_FALSE(fat.contains("DiskUUID")) << "MBR partitions have no partition UUID";
    EXPECT_EQ(fat.value("Content"), "DOS_FAT_32");
    EXPECT_EQ(fat.value("FilesystemName"), "MS-DOS FAT32");
    EXPECT_EQ(fat.value("FilesystemUserVisibleName"), "MS-DOS (FAT32)");
    EXPECT_EQ(fat.value("FilesystemType"), "msdos");
}

TEST(DiskutilList, RestrictedToOneWholeDiskOrAContainer) {
    SimMac mac;
    const QString usb = mac.attach("usb-apfs");
    const auto listOf = [&](const QString& dev) {
        const auto result = mac.run(kDiskutil, {"list", "-plist", dev});
        return platform::PropertyList::dictionaryFromBytes(result.out).value_or(QVariantMap());
    };
    const QVariantMap disk = listOf("/dev/" + usb);
    EXPECT_EQ(disk.value("WholeDisks").toStringList(), QStringList{usb});
    EXPECT_EQ(disk.value("AllDisks").toStringList(), (QStringList{usb, usb + "s1", usb + "s2"}));
    const QString container = mac.info(usb + "s2").value("APFSContainerReference").toString();
    const QVariantMap ofContainer = listOf("/dev/" + container);
    EXPECT_EQ(ofContainer.value("AllDisksAndPartitions")
                  .toList()
                  .at(0)
                  .toMap()
                  .value("APFSVolumes")
                  .toList()
                  .size(),
              1);
    EXPECT_EQ(listOf(container + "s1").value("WholeDisks").toStringList(), QStringList{container})
        << "an APFS volume stands for its container";
    const auto unknown = mac.run(kDiskutil, {"list", "-plist", "disk99"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(platform::PropertyList::dictionaryFromBytes(unknown.out)
                  .value_or(QVariantMap())
                  .value("ErrorMessage"),
              "Could not find disk: disk99");
}

TEST(DiskutilInfo, UnknownDeviceGivesTheErrorDocument) {
    SimMac mac;
    for (const QString& dev :
         {QStringLiteral("disk42"), QStringLiteral("/Volumes/Nope"), QStringLiteral("junk"),
          QStringLiteral("00000000-0000-0000-0000-000000000000")}) {
        const auto result = mac.run(kDiskutil, {"info", "-plist", dev});
        EXPECT_EQ(result.exitCode, 1) << dev.toStdString();
        const QVariantMap doc =
            platform::PropertyList::dictionaryFromBytes(result.out).value_or(QVariantMap());
        EXPECT_EQ(doc.value("Error"), true);
        EXPECT_EQ(doc.value("ErrorMessage"), "Could not find disk: " + dev);
        EXPECT_EQ(doc.value("ExitCode"), 1);
    }
}

TEST(DiskutilInfo, RootIsTheSealedSnapshotOnNewSystems) {
    SimMac mac;
    const QVariantMap root = mac.info("/");
    EXPECT_EQ(root.value("DeviceIdentifier"), "disk3s1s1");
    EXPECT_EQ(root.value("APFSSnapshot"), true);
    EXPECT_EQ(root.value("Sealed"), "Yes");
    EXPECT_EQ(root.value("Writable"), false);
    EXPECT_EQ(root.value("WritableMedia"), false);
    EXPECT_EQ(root.value("ParentWholeDisk"), "disk3");
    EXPECT_EQ(root.value("BooterDeviceIdentifier"), "disk3s2");
    EXPECT_EQ(root.value("RecoveryDeviceIdentifier"), "disk3s3");
    EXPECT_EQ(root.value("BusProtocol"), "Apple Fabric");
    const qint64 used =
        root.value("APFSContainerSize").toLongLong() - root.value("APFSContainerFree").toLongLong();
    EXPECT_GT(used, 110000000000) << "the Data volume's space counts towards the container";
    EXPECT_EQ(mac.info("/Volumes/Macintosh HD/").value("DeviceIdentifier"), "disk3s1s1");
}

TEST(DiskutilInfo, OldSystemsMountTheirSystemVolumeAtRoot) {
    SimMac hfs(QStringLiteral("intel-10.12-hfs"));
    const QVariantMap root = hfs.info("/");
    EXPECT_EQ(root.value("DeviceIdentifier"), "disk0s2");
    EXPECT_EQ(root.value("FilesystemName"), "Journaled HFS+");
    EXPECT_EQ(root.value("RecoveryDeviceIdentifier"), "disk0s3");
    EXPECT_FALSE(root.contains("BooterDeviceIdentifier"));
    EXPECT_EQ(root.value("VolumeSize"), root.value("Size"));
    EXPECT_GT(root.value("FreeSpace").toLongLong(), 0);
    EXPECT_EQ(hfs.info("disk0s3").value("Content"), "Apple_Boot");
}

TEST(DiskutilInfo, UsedSpaceCountsTheFilesOnTheVolume) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    const qint64 before = mac.info(disk + "s2").value("FreeSpace").toLongLong();
    QFile big(mac.host("/Volumes/USB/big.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(1000000, 'x'));
    big.close();
    EXPECT_EQ(mac.info(disk + "s2").value("FreeSpace").toLongLong(), before - 1000000);
    mac.setConfig("ComputeUsageFromFiles", false);
    EXPECT_GT(mac.info(disk + "s2").value("FreeSpace").toLongLong(), before);
}

TEST(DiskutilInfo, NamesAreEscapedAndSizesAre64BitIntegers) {
    SimMac mac;
    const QString disk = mac.attach("tb-ssd", {"--name", "A&B <x> \"ü\"", "--size", "8T"});
    const QVariantMap info = mac.info(mac.list().value("AllDisks").toStringList().last());
    EXPECT_EQ(info.value("VolumeName"), "A&B <x> \"ü\"");
    EXPECT_EQ(info.value("APFSContainerSize").toLongLong(), 8000000000000 - 209715200 - 40960);
    const auto raw = mac.run(kDiskutil, {"list", "-plist"});
    EXPECT_TRUE(raw.out.contains("<string>A&amp;B &lt;x&gt; \"\xc3\xbc\"</string>"));
    EXPECT_TRUE(raw.out.contains("<integer>8000000000000</integer>"));
}

TEST(DiskutilInfo, ExtraKeysAreMergedLast) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    mac.simctl({"set", disk, "SMARTStatus", "Verified"});
    mac.simctl({"set", disk + "s2", "BusProtocol", "Thunderbolt"});
    EXPECT_EQ(mac.info(disk).value("SMARTStatus"), "Verified");
    EXPECT_EQ(mac.info(disk + "s2").value("BusProtocol"), "Thunderbolt");
    EXPECT_EQ(mac.info(disk + "s1").value("BusProtocol"), "USB");
}

}  // namespace
