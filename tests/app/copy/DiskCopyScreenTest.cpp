#include "tests/app/copy/CopyHarness.h"

#include "app/copy/CopyMakeSureWC.h"
#include "app/copy/CopyProgreWindowController.h"
#include "app/copy/CopySorFWindowController.h"
#include "app/copy/DiskCopyViewController.h"
#include "app/sources/ListFileViewController.h"
#include "app/sources/ScreenMessages.h"
#include "app/sources/SelectValueView.h"
#include "platform/Dispatch.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QLabel>

#include <optional>

#include <unistd.h>

#include <gtest/gtest.h>

using copytest::click;
using copytest::Files;
using copytest::Harness;
using copytest::isRunning;
using copytest::kFolderName;
using screentest::kPhotos;
using screentest::Outcome;

namespace {

const QString kBackupFolder = QStringLiteral("/Volumes/Backup/") + kFolderName;
const QString kRoot = QStringLiteral("Macintosh HD");

// "Copy Now", then "Copy Now" in the confirmation, `during` once the progress shows an item, and the result
// window's button.
Outcome copyRoad(Harness& h, const QString& shot, const std::function<void(Harness&)>& during = {}) {
    h.answers.when([&h] { return h.screen->makeSureWC() && isRunning(h.screen->makeSureWC()->window()); },
                   [&h] { click(h.screen->makeSureWC()->doneButton()); });
    if (during) {
        h.answers.when(
            [&h] {
                CopyProgreWindowController* progress = h.screen->copyProgressWC();
                return progress && isRunning(progress->window()) && progress->pathLabel()->text() != " ";
            },
            [&h, during] { during(h); });
    }
    return h.runToResult<CopySorFWindowController>(
        [&h] { return h.screen->copyProgressWC() && h.screen->copyProgressWC()->isFinished(); },
        [&h] { return h.screen->copyProgressWC()->resultWC(); }, &CopySorFWindowController::errorLable, shot);
}

}  // namespace

namespace {

// Photos on "Photos" copied to a destination: its whole content or a set chosen in the file list.
struct Road {
    const char* name;
    const char* devicePreset;  // none: the root volume
    QString volume;
    QString folder;
    bool fileInTheWay;  // where the folder should go on the volume, which then cannot take the copy
    std::function<void(ListFileViewController&)> choose;  // none: the whole source
    std::optional<Files> copied;                          // none: everything on "Photos"
};

void PrintTo(const Road& row, std::ostream* out) {
    *out << row.name;
}

class CopyRoad : public ::testing::TestWithParam<Road> {};

// Only Photos/Trip stays checked: Documents and notes.txt unchecked, Photos partly checked.
void chooseTrip(ListFileViewController& list) {
    copytest::uncheck(list, {QStringLiteral("Documents"), QStringLiteral("notes.txt")});
    FileNode* photos = list.child(2, nullptr);
    ASSERT_EQ(photos->name(), "Photos");
    list.outlineViewItemDidExpand(photos);
    for (const auto& child : photos->children()) {
        if (child->name() != QLatin1String("Trip")) {
            list.setObjectValue(sources::FileColumn::CheckBox, child.get());
        }
    }
}

}  // namespace

TEST_P(CopyRoad, CopiesThroughThePickerIntoTheDatedFolderByteForByte) {
    const Road& row = GetParam();
    if (row.fileInTheWay && ::getuid() != 0) {
        GTEST_SKIP() << "the Desktop meant is that of the user running the tests";
    }
    const testsupport::ScopedEnv sudoUser("SUDO_USER", QStringLiteral("alice"));
    Harness h;
    h.attach(QStringLiteral("Photos"), kPhotos);
    if (row.devicePreset) {
        h.attach(row.volume, {}, QLatin1String(row.devicePreset));
    }
    if (row.fileInTheWay) {
        h.writeFile(QStringLiteral("/Volumes/%1/%2").arg(row.volume, kFolderName), "in the way");
    }
    ASSERT_TRUE(h.pick(1, QStringLiteral("Photos"), QStringLiteral("picker-") + row.name));
    ASSERT_TRUE(h.pick(2, row.volume));
    EXPECT_EQ(h.screen->diskPicker().popoverController()->borderWidth(), 2.0);
    EXPECT_TRUE(h.screen->diskPicker().popoverController()->animates());
    EXPECT_EQ(h.panelName(1) + h.panelName(2), "Photos" + row.volume);
    if (row.choose) {
        h.chooseSet(row.choose);
    }
    EXPECT_TRUE(h.startUsable());
    copytest::screenshot(h.window.get(), QStringLiteral("screen-") + row.name);
    h.answers.when(
        [&h] { return h.screen->makeSureWC() && isRunning(h.screen->makeSureWC()->window()); },
        [&h] { copytest::screenshot(h.screen->makeSureWC()->window(), QStringLiteral("confirmation")); });

    EXPECT_EQ(copyRoad(h, QStringLiteral("result-") + row.name).shown, row.folder);
    const Files copied = h.filesUnder(row.folder);
    EXPECT_TRUE(copied == row.copied.value_or(h.filesUnder(QStringLiteral("/Volumes/Photos"))))
        << copied.keys().join(' ').toStdString();
    EXPECT_TRUE(h.errors.isEmpty());

    const SharedFileNodeList roots = h.screen->copyArr();
    h.confirmWith = false;
    h.copyNow();
    EXPECT_EQ(h.confirmations, 1);
    EXPECT_EQ(h.screen->copyArr(), roots) << "the same source is not scanned again";
}

INSTANTIATE_TEST_SUITE_P(
    CopyDisk, CopyRoad,
    ::testing::Values(
        Road{"WholeVolume", "usb-hfs", "Backup", kBackupFolder, false, {}, {}},
        Road{"ChosenSet", "usb-hfs", "Backup", kBackupFolder, false, chooseTrip,
             Files{{QStringLiteral("Photos/Trip/sea.png"), QByteArray(500, 's')}}},
        Road{"RootVolume", nullptr, kRoot, "/" + kFolderName, false, {}, {}},
        Road{"FatVolume", "usb-fat32-mbr", "FAT", "/Volumes/FAT/Tavrun(2024-05-01 09-30-00)", false, {}, {}},
        Road{"DesktopOfTheStartingUser",
             "usb-hfs",
             "Backup",
             "/Users/alice/Desktop/" + kFolderName,
             true,
             {},
             {}}),
    [](const auto& row) { return std::string(row.param.name); });

namespace {

struct Failure {
    const char* name;
    std::function<void(Harness&)> during;  // once the progress shows an item
    QString shown;                         // the failure view's message; empty: no result window
    bool unplugs = false;                  // a disk goes during the copy: the next copy is refused
};

void PrintTo(const Failure& row, std::ostream* out) {
    *out << row.name;
}

class CopyFailure : public ::testing::TestWithParam<Failure> {};

}  // namespace

TEST_P(CopyFailure, EndsWithoutASuccessWindowAndTheNextCopyRunsOnItsOwn) {
    Harness h;
    Files many = kPhotos;  // enough top-level items for the run to be stopped halfway
    for (int i = 0; i < 60; ++i) {
        many.insert(QStringLiteral("item %1.txt").arg(i, 2, 10, QLatin1Char('0')), QByteArray::number(i));
    }
    h.attach(QStringLiteral("Photos"), many);
    h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
    h.pickBoth(QStringLiteral("Photos"), QStringLiteral("Backup"));
    const Outcome outcome = copyRoad(h, QStringLiteral("result-") + GetParam().name, GetParam().during);
    EXPECT_EQ(outcome.shown, GetParam().shown);
    EXPECT_EQ(outcome.failed, !GetParam().shown.isEmpty()) << "never the success view";
    EXPECT_LT(h.filesUnder(kBackupFolder).size(), 10);
    EXPECT_TRUE(h.startUsable()) << "the screen keeps its choices";
    if (!GetParam().unplugs) {
        EXPECT_FALSE(copyRoad(h, QStringLiteral("result-after-") + GetParam().name).failed);
        return;
    }
    h.confirmWith = true;
    h.copyNow();
    EXPECT_EQ(h.errors, QStringList{sources::kUnpluggedMessage});
    EXPECT_FALSE(h.startUsable());
    EXPECT_EQ(h.screen->copyProgressWC()->resultWC()->errorLable()->text(), GetParam().shown)
        << "no new run started";
}

INSTANTIATE_TEST_SUITE_P(
    CopyDisk, CopyFailure,
    ::testing::Values(Failure{"Cancel", [](Harness& h) { click(h.screen->copyProgressWC()->cancelButton()); },
                              QStringLiteral("You have stopped the copying process.")},
                      Failure{"TitleBarClose",
                              [](Harness& h) {
                                  click(h.screen->copyProgressWC()->aWindow()->standardWindowButton(0));
                              },
                              {}},
                      Failure{"DestinationRefusesWrites",
                              [](Harness& h) {  // the copy's folder turns into a file, which takes nothing
                                  // The worker may add an item while the folder goes: again until it has.
                                  for (int tries = 0; tries < 100; ++tries) {
                                      if (QDir(h.sim.host(kBackupFolder)).removeRecursively()) {
                                          break;
                                      }
                                  }
                                  h.writeFile(kBackupFolder, "not a folder");
                              },
                              DiskCopyViewController::kCopyFailedMessage},
                      Failure{"SourceUnpluggedMidCopy",
                              [](Harness& h) { h.sim.detach(h.disks.value(QStringLiteral("Photos"))); },
                              DiskCopyViewController::kCopyFailedMessage, true},
                      Failure{"DestinationUnpluggedMidCopy",
                              [](Harness& h) { h.sim.detach(h.disks.value(QStringLiteral("Backup"))); },
                              DiskCopyViewController::kCopyFailedMessage, true}),
    [](const auto& row) { return std::string(row.param.name); });

namespace {

// A sequence of choices on the screen, and where it leaves the screen.
struct Check {
    const char* name;
    std::function<void(Harness&)> steps;
    QStringList errors;
    bool startUsable;
    QString source;  // the panels' name lines
    QString destination;
    int confirmations;  // opened (and cancelled)
};

void PrintTo(const Check& row, std::ostream* out) {
    *out << row.name;
}

class CopyChecks : public ::testing::TestWithParam<Check> {};

const QString kSame = sources::kSameVolumeMessage;
const QString kSpace = sources::kInsufficientSpaceMessage;
const QString kNoSource = QStringLiteral("Click to select a source...");

QString destinationImage(const Harness& h) {
    return h.screen->selectToVC()->selectDiskBut()->imageName();
}

// "Big" says it uses 100 MB, too much for the 20 MB volume "Tiny": the space dialog comes once.
void chooseTooBig(Harness& h, Files files = kPhotos) {
    h.attach(QStringLiteral("Big"), files);
    h.sim.simctl({QStringLiteral("set"),
                  h.sim.info(QStringLiteral("/Volumes/Big")).value("DeviceIdentifier").toString(),
                  QStringLiteral("UsedBytes"), QStringLiteral("100000000")});
    h.attach(QStringLiteral("Tiny"), {}, QStringLiteral("usb-tiny"));
    h.pickBoth(QStringLiteral("Big"), QStringLiteral("Tiny"));
    EXPECT_TRUE(!h.startUsable() && h.screen->errorView()->isVisible());
    EXPECT_EQ(destinationImage(h), "add");
    copytest::screenshot(h.window.get(), QStringLiteral("screen-too-little-space"));
}

void keepOnly(ListFileViewController& list, const QString& name) {
    copytest::uncheck(list, {QStringLiteral("Photos"), QStringLiteral("Documents"),
                             QStringLiteral("notes.txt"), QStringLiteral("big.bin")});
    copytest::uncheck(list, {name});
}

}  // namespace

TEST_P(CopyChecks, RefusesAndChecksTheSpaceOnTheStateAfterEachChoice) {
    Harness h;
    h.attach(QStringLiteral("USB"), kPhotos);
    h.confirmWith = false;
    GetParam().steps(h);
    EXPECT_TRUE(h.settle());
    EXPECT_EQ(h.errors, GetParam().errors);
    EXPECT_EQ(h.startUsable(), GetParam().startUsable);
    EXPECT_EQ(h.panelName(1), GetParam().source);
    EXPECT_EQ(h.panelName(2), GetParam().destination);
    EXPECT_EQ(h.confirmations, GetParam().confirmations);
    copytest::screenshot(h.window.get(), QStringLiteral("screen-") + GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    CopyDisk, CopyChecks,
    ::testing::Values(
        Check{"SameVolumeOnTheSourceSide",
              [](Harness& h) { h.pickBoth("USB", "USB"); },
              {kSame},
              false,
              "USB",
              "Click to select a destination...",
              0},
        Check{"SameVolumeOnTheDestinationSide",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(2, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
              },
              {kSame},
              false,
              kNoSource,
              "USB",
              0},
        Check{"TooLittleSpaceThenASmallerSet",
              [](Harness& h) {
                  chooseTooBig(h);
                  h.chooseSet(
                      [](ListFileViewController& list) { keepOnly(list, QStringLiteral("notes.txt")); });
                  EXPECT_FALSE(h.screen->errorView()->isVisible());
                  EXPECT_EQ(destinationImage(h), "ic_disk_usb") << "the drive shows again";
              },
              {kSpace},
              true,
              "1 files/folders",
              "Tiny",
              0},
        Check{"ASetStillTooBigSwitchesCopyNowOffWithoutADialog",
              [](Harness& h) {
                  chooseTooBig(h, {{QStringLiteral("big.bin"), QByteArray(21'000'000, 'x')}});
                  h.chooseSet(
                      [](ListFileViewController& list) { keepOnly(list, QStringLiteral("big.bin")); });
                  EXPECT_TRUE(h.screen->errorView()->isVisible());
              },
              {kSpace},
              false,
              "1 files/folders",
              "Tiny",
              0},
        Check{"DropWithoutDestination",
              [](Harness& h) {
                  h.drop({QStringLiteral("/Volumes/USB/notes.txt"), QStringLiteral("/Volumes/USB/Photos")});
                  EXPECT_FALSE(h.startUsable());
                  ASSERT_TRUE(h.pick(2, kRoot));
              },
              {},
              true,
              "add some files",
              kRoot,
              0},
        Check{"ClosingTheSourceClearsTheTooSmallLook",
              [](Harness& h) {
                  chooseTooBig(h);
                  click(h.screen->selectFromVC()->closeDisk());
                  EXPECT_FALSE(h.screen->errorView()->isVisible());
                  EXPECT_EQ(destinationImage(h), "ic_disk_usb");
              },
              {kSpace},
              false,
              kNoSource,
              "Tiny",
              0},
        Check{"NewSourceAfterTooLittleSpaceRaisesNoFalseDialog",
              [](Harness& h) {
                  chooseTooBig(h);
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
              },
              {kSpace},
              true,
              "USB",
              "Tiny",
              0},
        Check{"DropAfterTooLittleSpaceRaisesNoFalseDialog",
              [](Harness& h) {
                  chooseTooBig(h);
                  h.drop({QStringLiteral("/Volumes/USB/notes.txt")});
              },
              {kSpace},
              true,
              "add some files",
              "Tiny",
              0},
        Check{"NothingChecked",
              [](Harness& h) {
                  h.pickBoth(QStringLiteral("USB"), kRoot);
                  h.chooseSet([](ListFileViewController& list) { list.setAllSelectOrNoSelect(); });
                  h.copyNow();
              },
              {DiskCopyViewController::kNothingSelectedMessage},
              true,
              "0 files/folders",
              kRoot,
              0},
        Check{"SourceUnpluggedBeforeTheCopy",
              [](Harness& h) {
                  h.pickBoth(QStringLiteral("USB"), kRoot);
                  h.sim.detach(h.disks.value(QStringLiteral("USB")));
                  h.copyNow();
              },
              {sources::kUnpluggedMessage},
              false,
              kNoSource,
              kRoot,
              0},
        Check{"DestinationUnpluggedDuringTheConfirmation",
              [](Harness& h) {
                  h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
                  h.pickBoth(QStringLiteral("USB"), QStringLiteral("Backup"));
                  h.sim.detach(h.disks.value(QStringLiteral("Backup")));
                  h.confirmWith = true;
                  h.copyNow();
                  EXPECT_FALSE(QFileInfo::exists(h.sim.host(QStringLiteral("/Volumes/Backup"))))
                      << "no folder made where the volume was mounted";
              },
              {sources::kUnpluggedMessage},
              false,
              "USB",
              "Click to select a destination...",
              1},
        Check{"DroppedFolderHoldingTheDestination",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(2, QStringLiteral("USB")));
                  h.drop({QStringLiteral("/Volumes/USB")});
                  h.copyNow();
              },
              {kSame},
              true,
              "add some files",
              "USB",
              0},
        Check{"CopyNowAndTheFileListWaitForTheScan",
              [](Harness& h) {
                  h.pickBoth(QStringLiteral("USB"), kRoot);
                  click(h.screen->cloneButton());
                  EXPECT_TRUE(h.screen->isScanning());
                  click(h.screen->cloneButton());
                  h.screen->doShowSearchView();
                  EXPECT_FALSE(h.screen->diskListWC());
                  EXPECT_TRUE(h.settle());
                  EXPECT_EQ(h.screen->copyArr()->size(), 3U) << "notes.txt, Documents and Photos";
              },
              {},
              true,
              "USB",
              kRoot,
              1}),
    [](const auto& row) { return std::string(row.param.name); });
