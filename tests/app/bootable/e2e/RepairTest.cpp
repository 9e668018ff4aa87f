#include "app/bootable/PrebootRepair.h"
#include "tests/support/SimMac.h"

#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

namespace {

using Calls = QList<QStringList>;

const QString kCryptexes = QStringLiteral("/System/Volumes/Preboot/Cryptexes");
const QString kCacheFile = QStringLiteral("/Cryptexes/OS/System/Library/dyld/dyld_shared_cache_arm64e");

// The cryptexes go only where the cloned disk's own Preboot volume is mounted, or nowhere.
struct RepairRow {
    const char* name;
    bool cloned;          // the disk holds a restored system (an APFS container with a Preboot volume)
    bool anotherPreboot;  // another drive's volume already sits at "/Volumes/Preboot"
    QVariantMap fault;
    QString copiedTo;  // empty: nothing is copied
};

void PrintTo(const RepairRow& row, std::ostream* out) {
    *out << row.name;
}

// Where volumes are mounted, by identifier.
QMap<QString, QString> mounts(const testsupport::SimMac& sim) {
    QMap<QString, QString> found;
    for (const QVariant& disk : sim.list().value("AllDisksAndPartitions").toList()) {
        const QVariantMap map = disk.toMap();
        for (const QVariant& volume : map.value("Partitions").toList() + map.value("APFSVolumes").toList()) {
            if (const QString at = volume.toMap().value("MountPoint").toString(); !at.isEmpty()) {
                found.insert(volume.toMap().value("DeviceIdentifier").toString(), at);
            }
        }
    }
    return found;
}

class PrebootRepair : public ::testing::TestWithParam<RepairRow> {};

TEST_P(PrebootRepair, CopiesOnlyIntoTheTargetsOwnPreboot) {
    const RepairRow& row = GetParam();
    testsupport::SimMac sim;
    if (row.anotherPreboot) {
        sim.attach(QStringLiteral("usb-apfs"), {QStringLiteral("--name"), QStringLiteral("Preboot")});
    }
    const QString disk =
        sim.attach(QStringLiteral("usb-exfat"), {QStringLiteral("--size"), QStringLiteral("256G")});
    if (row.cloned) {
        ASSERT_EQ(sim.run("/usr/sbin/diskutil", {"eraseDisk", "APFS", "TavrunSystem", disk}).exitCode, 0);
        ASSERT_EQ(sim.run("/usr/sbin/asr", {"restore", "--source", "/", "--target", "/Volumes/TavrunSystem",
                                            "--erase", "--noprompt"})
                      .exitCode,
                  0);
    }
    if (!row.fault.isEmpty()) {
        sim.addFault(row.fault);
    }
    const QMap<QString, QString> mountedBefore = mounts(sim);
    bootable::repairPreboot(disk);
    EXPECT_EQ(mounts(sim), mountedBefore) << "what the repair mounted is unmounted again, and only that";

    const Calls copies = testsupport::toolCalls(sim, QStringLiteral("cp"));
    if (row.copiedTo.isEmpty()) {
        EXPECT_TRUE(copies.isEmpty());
        return;
    }
    EXPECT_EQ(copies, (Calls{{"-av", kCryptexes, row.copiedTo}}));
    ASSERT_EQ(sim.run("/usr/sbin/diskutil", {"mountDisk", disk}).exitCode, 0);  // to read what was copied
    EXPECT_EQ(sim.info(row.copiedTo).value("VolumeName"), "Preboot");
    QFile copied(sim.host(row.copiedTo + kCacheFile));
    QFile original(sim.host("/System/Volumes/Preboot" + kCacheFile));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), original.readAll());
    if (row.anotherPreboot) {
        EXPECT_FALSE(QFile::exists(sim.host("/Volumes/Preboot/Cryptexes"))) << "the other drive is untouched";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clone, PrebootRepair,
    ::testing::Values(
        RepairRow{"ownPreboot", true, false, {}, "/Volumes/Preboot"},
        RepairRow{"prebootTakenByAnotherDisk", true, true, {}, "/Volumes/Preboot 1"},
        RepairRow{"mountRefused",
                  true,
                  false,
                  {{"Tool", "diskutil"}, {"Verb", "mountDisk"}, {"Action", "exit"}, {"ExitStatus", 1}},
                  ""},
        RepairRow{"noContainer", false, false, {}, ""}),
    [](const auto& row) { return row.param.name; });

}  // namespace
