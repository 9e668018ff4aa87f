#include "tests/services/disks/unit/FakeDiskUtil.h"

#include "services/disks/CVolumeMgr.h"
#include "services/disks/VolumeObj.h"
#include "services/utilities/KVPublicUtilities.h"

#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

QVariantMap merged(QVariantMap base, const QVariantMap& changes) {
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value().isValid()) {
            base.insert(it.key(), it.value());
        } else {
            base.remove(it.key());
        }
    }
    return base;
}

const QVariantMap kEntry{{"DeviceIdentifier", "disk4s2"},
                         {"Content", "Microsoft Basic Data"},
                         {"VolumeName", "USB"},
                         {"MountPoint", "/Volumes/USB"}};
const QVariantMap kInfo{{"DeviceIdentifier", "disk4s2"},
                        {"DeviceNode", "/dev/disk4s2"},
                        {"ParentWholeDisk", "disk4"},
                        {"BusProtocol", "USB"},
                        {"Content", "Microsoft Basic Data"},
                        {"MountPoint", "/Volumes/USB"},
                        {"Ejectable", true},
                        {"Writable", true},
                        {"VolumeName", "USB"},
                        {"FilesystemName", "ExFAT"},
                        {"TotalSize", 16000000000LL},
                        {"FreeSpace", 15000000000LL},
                        {"DiskUUID", "7A1C0D8E-0001-4E2B-9C3D-5F6A7B8C9D0E"}};

QVariantMap disk(const QVariantList& partitions, const char* id = "disk4") {
    return {{"DeviceIdentifier", id}, {"Content", "GUID_partition_scheme"}, {"Partitions", partitions}};
}

class VolumeManager : public ::testing::Test {
protected:
    void SetUp() override { CVolumeMgr().changeIValue(); }

    QList<QVariantMap> enumerate() {
        CVolumeMgr manager;
        manager.changeIValue();
        const auto volumes = manager.enumDiskVolumesInfo();
        EXPECT_TRUE(volumes);
        return volumes.value_or(QList<QVariantMap>());
    }

    testsupport::TempSimRoot sim_;
    FakeDiskUtil diskutil_;
};

struct RuleRow {
    const char* name;
    QVariantMap entryChanges;
    QVariantMap infoChanges;
    bool listed;
};

void PrintTo(const RuleRow& row, std::ostream* out) {
    *out << row.name;
}

class VolumeRules : public VolumeManager, public ::testing::WithParamInterface<RuleRow> {};

TEST_P(VolumeRules, ListOrLeaveOut) {
    const RuleRow& row = GetParam();
    diskutil_.setDisks({disk({merged(kEntry, row.entryChanges)})});
    diskutil_.setInfo("disk4s2", merged(kInfo, row.infoChanges));
    EXPECT_EQ(enumerate().size(), row.listed ? 1 : 0);
}

const QVariant kAbsent;

INSTANTIATE_TEST_SUITE_P(
    EachRule, VolumeRules,
    ::testing::Values(
        RuleRow{"plain_usb_volume", {}, {}, true},
        RuleRow{"r1_entry_apple_boot", {{"Content", "Apple_Boot"}}, {}, false},
        RuleRow{"r1_entry_efi", {{"Content", "EFI"}}, {}, false},
        RuleRow{"r1_entry_corestorage", {{"Content", "Apple_CoreStorage"}}, {}, false},
        RuleRow{"r1_entry_apfs_store", {{"Content", "Apple_APFS"}}, {}, false},
        RuleRow{"r2_case_sensitive_apfs", {{"FilesystemName", "Case-sensitive APFS"}}, {}, false},
        RuleRow{"r3_entry_update_mnt1", {{"MountPoint", "/System/Volumes/Update/mnt1"}}, {}, false},
        RuleRow{"r3_entry_data", {{"MountPoint", "/System/Volumes/Data"}}, {}, false},
        RuleRow{"r5_disk_image_bus", {}, {{"BusProtocol", "Disk Image"}}, false},
        RuleRow{"r6_info_efi", {}, {{"Content", "EFI"}}, false},
        RuleRow{"r6_info_apple_boot", {}, {{"Content", "Apple_Boot"}}, false},
        RuleRow{"r7_unmounted_internal", {}, {{"MountPoint", ""}, {"Ejectable", false}}, false},
        RuleRow{"r7_unmounted_keys_missing", {}, {{"MountPoint", kAbsent}, {"Ejectable", kAbsent}}, false},
        RuleRow{"r7_unmounted_external_passes", {}, {{"MountPoint", ""}}, true},
        RuleRow{"r8_unnamed_internal", {}, {{"VolumeName", ""}, {"Ejectable", false}}, false},
        RuleRow{"r8_unnamed_internal_size0_passes",
                {},
                {{"VolumeName", ""}, {"Ejectable", false}, {"TotalSize", 0}},
                true},
        RuleRow{"r8_unnamed_external_passes", {}, {{"VolumeName", ""}}, true},
        RuleRow{"r9_update_mnt1_even_external", {}, {{"MountPoint", "/System/Volumes/Update/mnt1"}}, false},
        RuleRow{"r10_update", {}, {{"MountPoint", "/System/Volumes/Update"}, {"Ejectable", false}}, false},
        RuleRow{"r10_iscpreboot",
                {},
                {{"MountPoint", "/System/Volumes/iSCPreboot"}, {"Ejectable", false}},
                false},
        RuleRow{"r10_xarts", {}, {{"MountPoint", "/System/Volumes/xarts"}, {"Ejectable", false}}, false},
        RuleRow{
            "r10_hardware", {}, {{"MountPoint", "/System/Volumes/Hardware"}, {"Ejectable", false}}, false},
        RuleRow{"r10_external_passes", {}, {{"MountPoint", "/System/Volumes/Update"}}, true},
        RuleRow{"r11_data_even_external", {}, {{"MountPoint", "/System/Volumes/Data"}}, false},
        RuleRow{"r11_vm_even_external", {}, {{"MountPoint", "/System/Volumes/VM"}}, false},
        RuleRow{"r12_20MB", {}, {{"TotalSize", 20000000}}, false},
        RuleRow{"r12_one_byte", {}, {{"TotalSize", 1}}, false},
        RuleRow{"r12_just_below_30MB", {}, {{"TotalSize", 29999999}}, false},
        RuleRow{"r12_exactly_30MB_passes", {}, {{"TotalSize", 30000000}}, true},
        RuleRow{"r12_size0_passes", {}, {{"TotalSize", 0}}, true},
        RuleRow{"r13_iscpreboot_internal", {}, {{"VolumeName", "iSCPreboot"}, {"Ejectable", false}}, false},
        RuleRow{"r13_xart_internal", {}, {{"VolumeName", "xART"}, {"Ejectable", false}}, false},
        RuleRow{"r13_hardware_internal", {}, {{"VolumeName", "Hardware"}, {"Ejectable", false}}, false},
        RuleRow{"r13_hardware_external_passes", {}, {{"VolumeName", "Hardware"}}, true},
        RuleRow{"r14_preboot_unmounted", {}, {{"VolumeName", "Preboot"}, {"MountPoint", ""}}, false},
        RuleRow{"r14_recovery_unmounted", {}, {{"VolumeName", "Recovery"}, {"MountPoint", ""}}, false},
        RuleRow{"r14_vm_unmounted", {}, {{"VolumeName", "VM"}, {"MountPoint", ""}}, false},
        RuleRow{"r14_preboot_mounted_passes", {}, {{"VolumeName", "Preboot"}}, true}),
    [](const ::testing::TestParamInfo<RuleRow>& row) { return std::string(row.param.name); });

TEST_F(VolumeManager, UnreadableInfoLeavesTheVolumeOutWithoutAsking) {
    diskutil_.setDisks({disk({kEntry, merged(kEntry, {{"DeviceIdentifier", "disk4s3"}}),
                              merged(kEntry, {{"DeviceIdentifier", "disk4s4"}, {"Content", "EFI"}})})});
    diskutil_.setInfo("disk4s2", kInfo);
    const auto volumes = enumerate();
    ASSERT_EQ(volumes.size(), 1);
    EXPECT_EQ(volumes[0].value("volumePath"), "disk4s2");
    EXPECT_EQ(diskutil_.calls(),
              (QStringList{"list -plist", "info -plist /dev/disk4s2", "info -plist /dev/disk4s3"}))
        << "an entry left out by the list alone is never looked up";
}

TEST_F(VolumeManager, HelperVolumesOfTheDisksOwnBooterAndRecoveryAreLeftOut) {
    const auto apfs = [](const char* id, const char* name) {
        return QVariantMap{
            {"DeviceIdentifier", id}, {"VolumeName", name}, {"MountPoint", QString("/Volumes/") + name}};
    };
    const auto info = [](const char* id, const char* name, QVariantMap extra = {}) {
        return merged(kInfo, merged({{"DeviceIdentifier", id},
                                     {"VolumeName", name},
                                     {"MountPoint", QString("/Volumes/") + name},
                                     {"Content", "41504653-0000-11AA-AA11-00306543ECAC"}},
                                    extra));
    };
    diskutil_.setDisks({
        QVariantMap{{"DeviceIdentifier", "disk5"},
                    {"Content", "EF57347C-0000-11AA-AA11-00306543ECAC"},
                    {"Partitions", QVariantList{}},
                    {"APFSVolumes", QVariantList{apfs("disk5s1", "VM"), apfs("disk5s2", "Preboot"),
                                                 apfs("disk5s3", "Recovery"), apfs("disk5s4", "Preboot")}}},
        QVariantMap{{"DeviceIdentifier", "disk6"},
                    {"Content", "EF57347C-0000-11AA-AA11-00306543ECAC"},
                    {"APFSVolumes", QVariantList{apfs("disk6s2", "Preboot")}}},
    });
    // The identifiers come from the first helper volume of each disk; later ones do not change them.
    diskutil_.setInfo("disk5s1",
                      info("disk5s1", "VM",
                           {{"BooterDeviceIdentifier", "disk5s2"}, {"RecoveryDeviceIdentifier", "disk5s3"}}));
    diskutil_.setInfo("disk5s2", info("disk5s2", "Preboot", {{"BooterDeviceIdentifier", "disk5s4"}}));
    diskutil_.setInfo("disk5s3", info("disk5s3", "Recovery"));
    diskutil_.setInfo("disk5s4", info("disk5s4", "Preboot", {{"BooterDeviceIdentifier", "disk5s4"}}));
    diskutil_.setInfo("disk6s2", info("disk6s2", "Preboot"));
    QStringList listed;
    for (const QVariantMap& v : enumerate()) {
        listed << v.value("volumePath").toString();
    }
    EXPECT_EQ(listed, (QStringList{"disk5s1", "disk5s4", "disk6s2"}));
}

TEST_F(VolumeManager, WholeDisksCountAsVolumesOnlyWithAFileSystem) {
    diskutil_.setDisks({
        QVariantMap{{"DeviceIdentifier", "disk2"}, {"Content", ""}},  // a file system on the whole disk
        QVariantMap{{"DeviceIdentifier", "disk3"},
                    {"Content", "EF57347C-0000-11AA-AA11-00306543ECAC"},
                    {"Partitions", QVariantList{}},
                    {"APFSVolumes", QVariantList{kEntry}}},
        QVariantMap{{"DeviceIdentifier", "disk7"},
                    {"Content", "GUID_partition_scheme"},
                    {"Partitions", QVariantList{}}},
    });
    // The whole disk is taken as it is: the volume rules apply to list entries only.
    diskutil_.setInfo(
        "disk2",
        merged(kInfo, {{"DeviceIdentifier", "disk2"}, {"BusProtocol", "Disk Image"}, {"TotalSize", 5000}}));
    diskutil_.setInfo("disk3",
                      {{"DeviceIdentifier", "disk3"}, {"Content", "EF57347C-0000-11AA-AA11-00306543ECAC"}});
    diskutil_.setInfo("disk4s2", kInfo);
    const auto volumes = enumerate();
    ASSERT_EQ(volumes.size(), 2);
    EXPECT_EQ(volumes[0].value("volumePath"), "disk2");
    EXPECT_EQ(volumes[1].value("volumePath"), "disk4s2");
    EXPECT_FALSE(diskutil_.calls().contains("info -plist /dev/disk7"))
        << "a disk with a scheme and no volumes";
}

TEST_F(VolumeManager, OneVolumeIsMarkedAfterTheSystemVolumeIsRecognised) {
    sim_.writeFile("/.sim/state.plist",
                   platform::PropertyList::toXml(QVariantMap{
                       {"Disks", QVariantList{QVariantMap{
                                     {"DeviceIdentifier", "disk1"},
                                     {"Partitions", QVariantList{QVariantMap{{"DeviceIdentifier", "disk1s1"},
                                                                             {"MountPoint", "/"}}}}}}}}));
    QVariantList entries;
    for (const char* id : {"disk4s1", "disk4s2", "disk4s3"}) {
        entries.append(merged(kEntry, {{"DeviceIdentifier", id}}));
        diskutil_.setInfo(id, merged(kInfo, {{"DeviceIdentifier", id}}));
    }
    diskutil_.setDisks({disk(entries)});
    QStringList marks;
    for (const QVariantMap& v : enumerate()) {
        marks << v.value("OSvolume").toString();
    }
    // The File Manager's volume 1 is "/": found while looking at the entry at position 1.
    EXPECT_EQ(marks, (QStringList{"NO", "YES", "NO"}));
    EXPECT_EQ(enumerate().at(1).value("OSvolume"), "YES") << "reset for each enumeration";
}

TEST_F(VolumeManager, UnreadableListIsAnEmptyList) {
    diskutil_.setDisks({});
    EXPECT_TRUE(enumerate().isEmpty());
    QFile::remove(qEnvironmentVariable("FAKE_DISKUTIL_DIR") + "/list.plist");
    EXPECT_TRUE(enumerate().isEmpty());
}

TEST_F(VolumeManager, BusyFlagHoldsEnumerationsApartWithoutARace) {
    diskutil_.setDisks({});
    CVolumeMgr manager;
    ASSERT_TRUE(manager.enumDiskVolumesInfo());
    EXPECT_FALSE(manager.enumDiskVolumesInfo()) << "within the same second";
    EXPECT_FALSE(CVolumeMgr().enumDiskVolumesInfo()) << "the flag is shared by every manager";
    EXPECT_TRUE(testsupport::waitUntil([&] { return CVolumeMgr().enumDiskVolumesInfo().has_value(); }, 3000))
        << "cleared about a second later by the main thread";

    manager.changeIValue();
    std::atomic<int> lists{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 8; ++i) {
        callers.emplace_back([&] { lists += CVolumeMgr().enumDiskVolumesInfo().has_value(); });
    }
    for (auto& c : callers) {
        c.join();
    }
    EXPECT_EQ(lists.load(), 1);
}

TEST(VolumeDictionary, FromDiskutilInfo) {
    CVolumeMgr manager;
    const QVariantMap apfs{{"DeviceIdentifier", "disk3s5"},
                           {"VolumeName", ""},
                           {"FreeSpace", 0},
                           {"APFSContainerFree", 389000000000LL},
                           {"TotalSize", 494384795648LL},
                           {"Ejectable", false},
                           {"Writable", true},
                           {"FilesystemName", "APFS"}};
    const QVariantMap volume = manager.MakeVolumeInfo(apfs);
    const QVariantMap expected{{"FreeSpace", "389000000000"},
                               {"TotalSize", "494384795648"},
                               {"OSvolume", "NO"},
                               {"volumeName", "Untitled"},
                               {"volumePath", "disk3s5"},
                               {"volumeTotalSize", "494.38 GB"},
                               {"volumeFreeSize", "389.00 GB"},
                               {"Writable", true},
                               {"Ejectable", false},
                               {"FilesystemName", "APFS"}};
    EXPECT_EQ(volume, expected) << "absent tool keys stay absent";

    const QVariantMap bare = manager.MakeVolumeInfo({});
    EXPECT_EQ(bare, (QVariantMap{{"FreeSpace", "0"},
                                 {"TotalSize", "0"},
                                 {"OSvolume", "NO"},
                                 {"volumeName", "Untitled"},
                                 {"volumeTotalSize", "0 byte"},
                                 {"volumeFreeSize", "0 byte"}}));
}

TEST(VolumeDictionary, FillsTheDiskToolsRecord) {
    CVolumeMgr manager;
    const VolumeObj volume = volumeObjFromVolumeInfo(manager.MakeVolumeInfo(kInfo));
    EXPECT_EQ(volume.volumeName, "USB");
    EXPECT_EQ(volume.volumePath, "disk4s2");
    EXPECT_EQ(volume.volumeMountPoint, "/Volumes/USB");
    EXPECT_EQ(volume.volumeTotalSize, "16.00 GB");
    EXPECT_EQ(volume.volumeFreeSize, "15.00 GB");
    EXPECT_EQ(volume.volumeTotalSizeNum, 16000000000LL);
    EXPECT_EQ(volume.volumeFreeSizeNum, 15000000000LL);
    EXPECT_EQ(volume.BusProtocol, "USB");
    EXPECT_EQ(volume.diskType, "ExFAT");
    EXPECT_EQ(volume.volRootDir, "/dev/disk4s2");
    EXPECT_EQ(volume.parentWholeDisk, "disk4");
    EXPECT_EQ(volume.diskUUID, "7A1C0D8E-0001-4E2B-9C3D-5F6A7B8C9D0E");
    EXPECT_TRUE(volume.bCanEject);
    EXPECT_TRUE(volume.isWritable);
    EXPECT_TRUE(volume.volumeType.isEmpty()) << "filled by the picker and the clone engine only";
}

TEST(DiskTree, ListsDisksAndPartitionsPlainly) {
    FakeDiskUtil diskutil;
    diskutil.setDisks(
        {disk(
             {kEntry, QVariantMap{{"DeviceIdentifier", "disk4s1"}, {"Content", "EFI"}, {"Size", 209715200}}}),
         QVariantMap{{"DeviceIdentifier", "disk5"}, {"Size", 7}, {"TotalSize", 8}},
         QVariantMap{{"DeviceIdentifier", "disk6"}, {"Content", ""}, {"Size", 9}}});
    const QVariantList tree = CVolumeMgr().listAllDisksAndPartitions();
    ASSERT_EQ(tree.size(), 3);
    const QVariantList partitions = tree[0].toMap().value("partitions").toList();
    ASSERT_EQ(partitions.size(), 2);
    EXPECT_EQ(partitions[0].toMap(),
              (QVariantMap{{"name", "USB"}, {"size", QVariant()}, {"mountPoint", "/Volumes/USB"}}));
    EXPECT_EQ(partitions[1].toMap(), (QVariantMap{{"name", ""}, {"size", 209715200}, {"mountPoint", ""}}));
    EXPECT_EQ(tree[1].toMap(), (QVariantMap{{"name", "disk5"}, {"size", 8}, {"partitions", QVariantList{}}}));
    EXPECT_EQ(tree[2].toMap(), (QVariantMap{{"name", "disk6"}, {"size", 9}, {"partitions", QVariantList{}}}))
        << "a whole disk as diskutil lists it: no TotalSize, no Partitions without a scheme";

    QFile::remove(qEnvironmentVariable("FAKE_DISKUTIL_DIR") + "/list.plist");
    EXPECT_TRUE(CVolumeMgr().listAllDisksAndPartitions().isEmpty());
}

}  // namespace

namespace {

TEST(DiskInfo, LookupsThroughTheirRunners) {
    FakeDiskUtil diskutil;
    diskutil.setInfo("disk4s2", kInfo);
    EXPECT_EQ(CVolumeMgr().KVGetDiskInfo("disk4s2"), kInfo);
    EXPECT_EQ(KVPublicUtilities::KVGetDiskInfo("disk4s2"), kInfo);
    EXPECT_FALSE(CVolumeMgr().KVGetDiskInfo("disk9")) << "diskutil's error document is no information";
    EXPECT_FALSE(CVolumeMgr().KVGetDiskInfo(QString()));
    EXPECT_FALSE(KVPublicUtilities::KVGetDiskInfo(QString()));
    EXPECT_EQ(diskutil.calls(),
              (QStringList{"info -plist /dev/disk4s2", "info -plist disk4s2", "info -plist /dev/disk9"}));
}

}  // namespace
