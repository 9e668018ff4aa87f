// What the platform stand-ins answer for each simulated Mac.
#include "tests/support/SimMac.h"

#include "platform/DiskArbitration.h"
#include "platform/FileManager.h"
#include "platform/SystemInfo.h"
#include "services/utilities/KVPublicUtilities.h"

#include <algorithm>
#include <cctype>

#include <gtest/gtest.h>

using testsupport::SimMac;

namespace {

struct MacRow {
    const char* preset;
    int version;
    const char* brand;
    const char* root;
};

void PrintTo(const MacRow& row, std::ostream* out) {
    *out << row.preset;
}

class EachMac : public ::testing::TestWithParam<MacRow> {};

TEST_P(EachMac, VersionBrandAndVolumes) {
    SimMac sim(QLatin1String(GetParam().preset));
    EXPECT_EQ(KVPublicUtilities::getSystemVersion(), GetParam().version);
    EXPECT_TRUE(
        platform::sysctlString("machdep.cpu.brand_string").value_or(QString()).contains(GetParam().brand));

    const QString root = QLatin1String(GetParam().root);
    EXPECT_EQ(sim.state().value("RootVolume"), root);
    EXPECT_EQ(platform::DiskArbitration::bsdNameForVolumePath("/"), root);
    EXPECT_EQ(platform::DiskArbitration::bsdNameForVolumePath("/Volumes/Macintosh HD"), root)
        << "a link to /";
    EXPECT_EQ(platform::FileManager::volumeRootForIndex(1), QStringLiteral("/"));
    EXPECT_FALSE(platform::FileManager::volumeRootForIndex(0));

    const QString usb = sim.attach("usb-exfat", {"--name", "Stick"});
    EXPECT_EQ(platform::DiskArbitration::bsdNameForVolumePath("/Volumes/Stick"), usb + "s2");
    EXPECT_EQ(platform::DiskArbitration::bsdNameForVolumePath("/Volumes/Stick/Documents"), usb + "s2");
    sim.run("/usr/sbin/diskutil", {"unmount", usb + "s2"});
    EXPECT_FALSE(platform::DiskArbitration::bsdNameForVolumePath("/Volumes/Stick")) << "gone with the mount";
}

INSTANTIATE_TEST_SUITE_P(Presets, EachMac,
                         ::testing::Values(MacRow{"apple-silicon-13", 1304, "Apple", "disk3s1s1"},
                                           MacRow{"intel-12", 1206, "Intel", "disk1s1s1"},
                                           MacRow{"intel-10.14", 1014, "Intel", "disk1s1"},
                                           MacRow{"intel-10.12-hfs", 1012, "Intel", "disk0s2"}),
                         [](const ::testing::TestParamInfo<MacRow>& row) {
                             std::string name = row.param.preset;
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

}  // namespace
