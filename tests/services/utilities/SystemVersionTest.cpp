#include "platform/PropertyList.h"
#include "platform/SystemInfo.h"
#include "services/utilities/KVPublicUtilities.h"

#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

const QString kSystemVersion = QStringLiteral("/System/Library/CoreServices/SystemVersion.plist");

void writeProductVersion(const testsupport::TempSimRoot& sim, const QString& version) {
    sim.writeFile(kSystemVersion, platform::PropertyList::toXml(
                                      QVariantMap{{"ProductName", "macOS"}, {"ProductVersion", version}}));
}

struct VersionRow {
    const char* productVersion;
    int version;
    int major, minor, bugFix;
};

void PrintTo(const VersionRow& row, std::ostream* out) {
    *out << '"' << row.productVersion << '"';
}

class SystemVersion : public ::testing::TestWithParam<VersionRow> {};

TEST_P(SystemVersion, ComesFromTheMacsSystemVersionFile) {
    const VersionRow& row = GetParam();
    testsupport::TempSimRoot sim;
    writeProductVersion(sim, QString::fromLatin1(row.productVersion));
    EXPECT_EQ(KVPublicUtilities::getSystemVersion(), row.version);
    int major = -1, minor = -1, bugFix = -1;
    KVPublicUtilities::getSystemVersionMajor(&major, &minor, &bugFix);
    EXPECT_EQ(major, row.major);
    EXPECT_EQ(minor, row.minor);
    EXPECT_EQ(bugFix, row.bugFix);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SystemVersion,
    ::testing::Values(VersionRow{"10.3.9", 1003, 10, 3, 9},  // old enough for the packed 'sysv' answer
                      VersionRow{"10.9.5", 1009, 10, 9, 5}, VersionRow{"10.12.6", 1012, 10, 12, 6},
                      VersionRow{"10.15", 1015, 10, 15, 0}, VersionRow{"11.2", 1102, 11, 2, 0},
                      VersionRow{"12.6", 1206, 12, 6, 0}, VersionRow{"13.0", 1300, 13, 0, 0},
                      VersionRow{"13.4.1", 1304, 13, 4, 1},
                      // unreadable versions: the failure value 10.0.0
                      VersionRow{"", 1000, 10, 0, 0}, VersionRow{"thirteen", 1000, 10, 0, 0},
                      VersionRow{"13.4.1.7", 1000, 10, 0, 0}, VersionRow{"-1.2", 1000, 10, 0, 0}));

TEST(SystemVersion, MissingFileGivesTheFailureValueAndNullPointersAreSkipped) {
    testsupport::TempSimRoot sim;
    EXPECT_EQ(KVPublicUtilities::getSystemVersion(), 1000);
    writeProductVersion(sim, QStringLiteral("14.1.2"));
    int minor = 0;
    KVPublicUtilities::getSystemVersionMajor(nullptr, &minor, nullptr);
    EXPECT_EQ(minor, 1);
}

TEST(Gestalt, PackedVersionAndUnknownSelector) {
    testsupport::TempSimRoot sim;
    qint32 answer = 7;
    EXPECT_EQ(platform::Gestalt(platform::gestaltSystemVersion, &answer), platform::gestaltUnknownErr);
    EXPECT_EQ(answer, 7) << "untouched on failure";
    writeProductVersion(sim, QStringLiteral("10.14.6"));
    ASSERT_EQ(platform::Gestalt(platform::gestaltSystemVersion, &answer), 0);
    EXPECT_EQ(answer, 0x1096) << "minor capped at 9";
    EXPECT_EQ(platform::Gestalt(0x61626364, &answer), platform::gestaltUndefSelectorErr);
}

TEST(Sysctl, BrandStringFromTheMachineFile) {
    testsupport::TempSimRoot sim;
    EXPECT_FALSE(platform::sysctlString(QStringLiteral("machdep.cpu.brand_string")));
    sim.writeFile(QStringLiteral("/.sim/machine.plist"),
                  platform::PropertyList::toXml(QVariantMap{{"machdep.cpu.brand_string", "Apple M1"}}));
    EXPECT_EQ(platform::sysctlString(QStringLiteral("machdep.cpu.brand_string")), QStringLiteral("Apple M1"));
    EXPECT_FALSE(platform::sysctlString(QStringLiteral("hw.model")));
}

}  // namespace
