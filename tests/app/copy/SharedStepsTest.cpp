#include "app/sources/DestinationFolder.h"
#include "app/sources/OutputNames.h"
#include "app/sources/SpaceCheck.h"
#include "platform/FileSystem.h"
#include "tests/support/TestEnv.h"

#include <unistd.h>

#include <gtest/gtest.h>

using sources::SpaceFigures;
using sources::SpaceVerdict;

namespace {

const QDateTime kTime(QDate(2024, 5, 1), QTime(9, 30, 0));

struct Naming {
    const char* fileSystem;
    const char* volume;
    const char* path;
};

class OutputName : public ::testing::TestWithParam<Naming> {};

struct Figures {
    const char* name;
    SpaceFigures figures;
    SpaceVerdict space;
    SpaceVerdict chosenSet;
};

void PrintTo(const Figures& row, std::ostream* out) {
    *out << row.name;
}

class SpaceChecks : public ::testing::TestWithParam<Figures> {};

}  // namespace

TEST_P(OutputName, KeepsTheColonWhereTheFileSystemTakesItAndNeverDoublesTheSlash) {
    EXPECT_EQ(sources::pathOnVolume(GetParam().volume, sources::datedName(kTime, GetParam().fileSystem)),
              GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Copy, OutputName,
    ::testing::Values(Naming{"APFS", "/", "/Tavrun(2024-05-01 09:30:00)"},
                      Naming{"Journaled HFS+", "/Volumes/Backup",
                             "/Volumes/Backup/Tavrun(2024-05-01 09:30:00)"},
                      Naming{"", "/Volumes/Backup/", "/Volumes/Backup/Tavrun(2024-05-01 09:30:00)"},
                      Naming{"ExFAT", "/Volumes/USB", "/Volumes/USB/Tavrun(2024-05-01 09-30-00)"},
                      Naming{"MS-DOS FAT32", "/Volumes/USB", "/Volumes/USB/Tavrun(2024-05-01 09-30-00)"},
                      Naming{"MS-DOS (FAT16)", "/Volumes/USB", "/Volumes/USB/Tavrun(2024-05-01 09-30-00)"},
                      Naming{"NTFS", "/Volumes/Win", "/Volumes/Win/Tavrun(2024-05-01 09-30-00)"}));

TEST_P(SpaceChecks, ComparesWhatTheJobNeedsWithTheDestination) {
    EXPECT_EQ(sources::checkSpace(GetParam().figures), GetParam().space);
    EXPECT_EQ(sources::checkChosenSet(GetParam().figures), GetParam().chosenSet);
}

INSTANTIATE_TEST_SUITE_P(
    Copy, SpaceChecks,
    ::testing::Values(
        Figures{"NothingChosen", {}, SpaceVerdict::Unknown, SpaceVerdict::Unknown},
        Figures{"SourceOnly", {.usedSize = 80}, SpaceVerdict::Unknown, SpaceVerdict::Unknown},
        Figures{"DestinationOnly", {.freeSize = 50}, SpaceVerdict::Unknown, SpaceVerdict::Unknown},
        Figures{"WholeSourceTooBig", {80, 50}, SpaceVerdict::TooSmall, SpaceVerdict::Enough},
        Figures{"WholeSourceExactFit", {50, 50}, SpaceVerdict::Enough, SpaceVerdict::Enough},
        Figures{"SmallerSetFits", {80, 50, 40}, SpaceVerdict::Enough, SpaceVerdict::Enough},
        Figures{"SetTooBig", {80, 50, 60}, SpaceVerdict::TooSmall, SpaceVerdict::TooSmall},
        Figures{"DropWithoutDestination",
                {.selectFilesSize = 0, .isDragValue = true},
                SpaceVerdict::Unknown,
                SpaceVerdict::Unknown},
        Figures{"DropOnAFullDestination", {-1, 0, 0, true}, SpaceVerdict::Unknown, SpaceVerdict::Enough}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(OutputFolder, FallsBackToTheDesktopOfTheUserWhoStartedTheProductAndMakesIt) {
    if (::getuid() != 0) {
        GTEST_SKIP() << "started by a user other than root, whose Desktop is the one meant";
    }
    testsupport::TempSimRoot mac;
    const testsupport::ScopedEnv sudoUser("SUDO_USER", QStringLiteral("alice"));
    mac.writeFile(QStringLiteral("/Volumes/Backup/Tavrun(x)"), "a file where the folder should be");
    platform::FileSystem::mkpath(QStringLiteral("/Volumes/Fine"));
    EXPECT_EQ(sources::makeOutputFolder(QStringLiteral("/Volumes/Fine"), QStringLiteral("Tavrun(x)")),
              "/Volumes/Fine/Tavrun(x)");
    EXPECT_EQ(sources::makeOutputFolder(QStringLiteral("/Volumes/Backup"), QStringLiteral("Tavrun(x)")),
              "/Users/alice/Desktop/Tavrun(x)");
    EXPECT_TRUE(sources::canWriteFolder(QStringLiteral("/Users/alice/Desktop/Tavrun(x)")));
    EXPECT_FALSE(sources::canWriteFolder(QStringLiteral("/Volumes/Backup/Tavrun(x)")));
    EXPECT_EQ(platform::FileSystem::list(QStringLiteral("/Volumes/Fine/Tavrun(x)"))->size(), 0U)
        << "the write test leaves nothing behind";
}
