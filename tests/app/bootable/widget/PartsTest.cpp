#include "app/bootable/SelectDrivceViewController.h"
#include "app/bootable/SystemVolume.h"
#include "platform/MacPath.h"
#include "platform/PropertyList.h"
#include "tests/support/TestEnv.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QString kMachine = QStringLiteral("/.sim/machine.plist");

void setBrand(const testsupport::TempSimRoot& root, const QString& brand) {
    root.writeFile(kMachine, platform::PropertyList::toXml(QVariantMap{{"machdep.cpu.brand_string", brand}}));
}

struct BrandRow {
    const char* name;
    std::optional<QString> brand;
    bool apple;
};

void PrintTo(const BrandRow& row, std::ostream* out) {
    *out << row.name;
}

class ProcessorCheck : public ::testing::TestWithParam<BrandRow> {};

TEST_P(ProcessorCheck, AsksOncePerMacWhetherTheBrandNamesApple) {
    testsupport::TempSimRoot root;
    if (GetParam().brand) {
        setBrand(root, *GetParam().brand);
    }
    EXPECT_EQ(has_m1_chip(), GetParam().apple);
    const QString other =
        GetParam().apple ? QStringLiteral("Intel(R) Core(TM) i9") : QStringLiteral("Apple M2");
    setBrand(root, other);
    EXPECT_EQ(has_m1_chip(), GetParam().apple) << "the first answer stays";
    testsupport::TempSimRoot next;
    setBrand(next, other);
    EXPECT_EQ(has_m1_chip(), !GetParam().apple) << "another Mac is asked afresh";
}

INSTANTIATE_TEST_SUITE_P(
    Clone, ProcessorCheck,
    ::testing::Values(BrandRow{"appleM1", QStringLiteral("Apple M1"), true},
                      BrandRow{"appleM2Pro", QStringLiteral("Apple M2 Pro"), true},
                      BrandRow{"intel", QStringLiteral("Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz"), false},
                      BrandRow{"unknown", std::nullopt, false}),
    [](const auto& row) { return row.param.name; });

struct VolumeRow {
    const char* name;
    QVariantMap info;
    int version;
    qint64 used;
    QStringList disks;
};

void PrintTo(const VolumeRow& row, std::ostream* out) {
    *out << row.name;
}

class SystemVolumeOf : public ::testing::TestWithParam<VolumeRow> {};

TEST_P(SystemVolumeOf, UsedBytesAndTheDisksHoldingIt) {
    const bootable::SystemVolume volume = bootable::systemVolumeFrom(GetParam().info, GetParam().version);
    EXPECT_EQ(volume.usedSize, GetParam().used);
    EXPECT_EQ(volume.wholeDisks, GetParam().disks);
}

const QVariantMap kApfsRoot{
    {"APFSContainerSize", 500000000000LL},
    {"APFSContainerFree", 380000000000LL},
    {"TotalSize", 500000000000LL},
    {"FreeSpace", 0LL},
    {"ParentWholeDisk", "disk3"},
    {"APFSPhysicalStores", QVariantList{QVariantMap{{"APFSPhysicalStore", "disk0s2"}}}}};

INSTANTIATE_TEST_SUITE_P(
    Clone, SystemVolumeOf,
    ::testing::Values(
        VolumeRow{"apfsContainer", kApfsRoot, 1300, 120000000000, {"disk3", "disk0"}},
        VolumeRow{"hfsBefore1015",
                  {{"TotalSize", 250000000000LL}, {"FreeSpace", 50000000000LL}, {"ParentWholeDisk", "disk0"}},
                  1012,
                  200000000000,
                  {"disk0"}},
        VolumeRow{"moreFreeThanSize",
                  {{"APFSContainerSize", 100}, {"APFSContainerFree", 101}, {"ParentWholeDisk", "disk1"}},
                  1500,
                  0,
                  {"disk1"}},
        VolumeRow{"nothingRead", {}, 1300, 0, {}}),
    [](const auto& row) { return row.param.name; });

// 2 when the user's Safari folder can be listed, 1 when it is there but cannot be, 0 when it is missing.
TEST(FullDiskAccessProbe, ListsTheSafariFolder) {
    testsupport::TempSimRoot root;
    const QString safari = root.host(platform::homeFolder() + QStringLiteral("/Library/Safari"));
    EXPECT_EQ(SelectDrivceViewController::getAuthorizationStatus(), 0);
    root.writeFile(platform::homeFolder() + QStringLiteral("/Library/Safari"), "not a folder");
    EXPECT_EQ(SelectDrivceViewController::getAuthorizationStatus(), 1);
    ASSERT_TRUE(QFile::remove(safari) && QDir().mkpath(safari));
    EXPECT_EQ(SelectDrivceViewController::getAuthorizationStatus(), 2);
}

}  // namespace
