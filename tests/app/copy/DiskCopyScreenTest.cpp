#include "tests/app/copy/CopyHarness.h"

#include "app/copy/CopyMakeSureWC.h"
#include "app/copy/CopyProgreWindowController.h"
#include "app/copy/CopySorFWindowController.h"
#include "app/copy/DiskCopyViewController.h"
#include "app/sources/DestinationFolder.h"
#include "app/sources/ListFileViewController.h"
#include "app/sources/ScreenMessages.h"
#include "platform/Dispatch.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>

#include <unistd.h>

#include <gtest/gtest.h>

using copytest::click;
using copytest::Files;
using copytest::Harness;
using copytest::isRunning;
using copytest::kFolderName;

namespace {

const Files kPhotos{{QStringLiteral("Photos/beach.jpg"), QByteArray(3000, 'b')},
                    {QStringLiteral("Photos/Trip/sea.png"), QByteArray(5000, 's')},
                    {QStringLiteral("Documents/report.pdf"), QByteArray("%PDF-1.4 quarterly")},
                    {QStringLiteral("notes.txt"), QByteArray("Remember the milk\n")}};

// What the copy road ended in.
struct Outcome {
    bool confirmed = false;
    bool resultShown = false;
    bool failed = false;
    QString message;  // the failure message, or the folder the success view opens
};

// Answers the confirmation with "Copy Now" and the result window with its button; `during` acts once the
// progress window shows the first item.
Outcome answerRoad(Harness& h, const QString& shot, const std::function<void(Harness&)>& during = {}) {
    auto outcome = std::make_shared<Outcome>();
    h.answers.when([&h] { return h.screen->makeSureWC() && isRunning(h.screen->makeSureWC()->window()); },
                   [&h, outcome] {
                       outcome->confirmed = true;
                       click(h.screen->makeSureWC()->doneButton());
                   });
    if (during) {
        h.answers.when(
            [&h] {
                CopyProgreWindowController* progress = h.screen->copyProgressWC();
                return progress && isRunning(progress->window()) && progress->pathLabel()->text() != " ";
            },
            [&h, during] { during(h); });
    }
    h.answers.when(
        [&h] {
            CopyProgreWindowController* progress = h.screen->copyProgressWC();
            if (progress == nullptr || !progress->isFinished()) {
                return false;
            }
            return progress->resultWC() ? isRunning(progress->resultWC()->window())
                                        : QApplication::activeModalWidget() == nullptr;
        },
        [&h, outcome, shot] {
            CopySorFWindowController* result = h.screen->copyProgressWC()->resultWC();
            if (result == nullptr) {
                return;  // closed without a result
            }
            outcome->resultShown = true;
            outcome->failed = result->failView()->isVisible();
            outcome->message = outcome->failed ? result->errorLable()->text() : result->openUrl();
            copytest::screenshot(result->window(), shot);
            click(outcome->failed ? result->failCancelButton() : result->succCancelButton());
        });
    h.copyNow();
    // Whatever the worker still had to say has been said and has changed nothing.
    EXPECT_TRUE(platform::waitForGlobalQueue(60000));
    EXPECT_TRUE(h.settle());
    return *outcome;
}

struct Destination {
    const char* name;
    const char* devicePreset;  // empty: the root volume
    const char* volume;
    QString folder;
    bool fileInTheWay;  // a file stands where the folder goes on the volume
};

void PrintTo(const Destination& row, std::ostream* out) {
    *out << row.name;
}

class CopyDestination : public ::testing::TestWithParam<Destination> {};

struct Failure {
    const char* name;
    std::function<void(Harness&)> during;  // once the first item shows
    bool resultShown;
    QString message;
    bool destinationStays = true;
};

void PrintTo(const Failure& row, std::ostream* out) {
    *out << row.name;
}

class CopyFailure : public ::testing::TestWithParam<Failure> {};

// A sequence of choices on the screen and where it must leave it.
struct Check {
    const char* name;
    std::function<void(Harness&)> steps;
    QStringList errors;
    bool startUsable;
    QString source;       // the source panel's name line
    QString destination;  // the destination panel's name line
    int confirmations;
};

void PrintTo(const Check& row, std::ostream* out) {
    *out << row.name;
}

class CopyChecks : public ::testing::TestWithParam<Check> {};

const QString kNoSource = QStringLiteral("Click to select a source...");
const QString kNoDestination = QStringLiteral("Click to select a destination...");
const QString kRoot = QStringLiteral("Macintosh HD");

}  // namespace

TEST(CopyDisk, AWholeVolumeThroughThePickerIsCopiedByteForByteAndScannedOnce) {
    Harness h;
    h.attach(QStringLiteral("Photos"), kPhotos);
    h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
    ASSERT_TRUE(h.pick(1, QStringLiteral("Photos"), QStringLiteral("picker-source")));
    ASSERT_TRUE(h.pick(2, QStringLiteral("Backup")));
    const QNPopoverController* popover = h.screen->diskPicker().popoverController();
    EXPECT_EQ(popover->borderWidth(), 2.0);
    EXPECT_TRUE(popover->animates());
    EXPECT_EQ(h.panelName(1), "Photos");
    EXPECT_TRUE(h.panelSize(1).endsWith(" selected"));
    EXPECT_EQ(h.panelName(2), "Backup");
    EXPECT_TRUE(h.panelSize(2).endsWith(" free"));
    EXPECT_TRUE(h.startUsable());
    copytest::screenshot(h.window.get(), QStringLiteral("screen-chosen"));

    const Outcome outcome = answerRoad(h, QStringLiteral("result-success"));
    const QString folder = QStringLiteral("/Volumes/Backup/") + kFolderName;
    EXPECT_TRUE(outcome.confirmed && outcome.resultShown && !outcome.failed);
    EXPECT_EQ(outcome.message, folder);
    EXPECT_TRUE(copytest::sameFiles(h.filesUnder(folder), h.filesUnder(QStringLiteral("/Volumes/Photos"))));
    EXPECT_EQ(h.filesUnder(folder).size(), kPhotos.size() + 2) << "with the two files the volume came with";
    EXPECT_TRUE(h.errors.isEmpty()) << h.errors.join(" | ").toStdString();

    const SharedFileNodeList scanned = h.screen->copyArr();
    h.confirmWith = false;
    h.copyNow();
    EXPECT_EQ(h.confirmations, 1);
    EXPECT_EQ(h.screen->copyArr(), scanned) << "the same source is not scanned again";
}

TEST(CopyDisk, AChosenSetThroughTheFileListCopiesTheCheckedItemsOnly) {
    Harness h;
    h.attach(QStringLiteral("Photos"), kPhotos);
    h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
    ASSERT_TRUE(h.pick(1, QStringLiteral("Photos")));
    ASSERT_TRUE(h.pick(2, QStringLiteral("Backup")));
    h.chooseSet([](ListFileViewController& list) {
        copytest::uncheck(list, {QStringLiteral("Documents"), QStringLiteral("notes.txt")});
        for (const auto& root : *list.rootNodeArr()) {
            if (root->name() == QLatin1String("Photos")) {
                list.outlineViewItemDidExpand(root.get());
                for (const auto& child : root->children()) {
                    if (child->name() == QLatin1String("beach.jpg")) {
                        list.setObjectValue(sources::FileColumn::CheckBox, child.get());
                    }
                }
            }
        }
    });
    EXPECT_EQ(h.panelName(1), "1 files/folders");
    EXPECT_EQ(h.screen->selectFilesSize(), 5000 + 2048);
    EXPECT_TRUE(h.startUsable());

    const Outcome outcome = answerRoad(h, QStringLiteral("result-chosen-set"));
    EXPECT_FALSE(outcome.failed);
    Files expected = h.filesUnder(QStringLiteral("/Volumes/Photos"));
    expected.removeIf([](const auto& file) { return !file.key().startsWith(QLatin1String("Photos/")); });
    expected.remove(QStringLiteral("Photos/beach.jpg"));
    EXPECT_EQ(expected.size(), 2);
    EXPECT_TRUE(
        copytest::sameFiles(h.filesUnder(QStringLiteral("/Volumes/Backup/") + kFolderName), expected));
}

TEST_P(CopyDestination, TheDatedFolderLandsWhereTheDestinationTakesIt) {
    if (GetParam().fileInTheWay && ::getuid() != 0) {
        GTEST_SKIP() << "the Desktop meant is that of the user running the tests";
    }
    const testsupport::ScopedEnv sudoUser("SUDO_USER", QStringLiteral("alice"));
    Harness h;
    h.attach(QStringLiteral("Photos"), kPhotos);
    if (*GetParam().devicePreset != '\0') {
        h.attach(GetParam().volume, {}, GetParam().devicePreset);
    }
    if (GetParam().fileInTheWay) {
        h.writeFile(QStringLiteral("/Volumes/%1/%2").arg(GetParam().volume, kFolderName), "in the way");
    }
    ASSERT_TRUE(h.pick(1, QStringLiteral("Photos")));
    ASSERT_TRUE(h.pick(2, GetParam().volume));
    const Outcome outcome = answerRoad(h, QStringLiteral("result-") + GetParam().name);
    EXPECT_FALSE(outcome.failed);
    EXPECT_EQ(outcome.message, GetParam().folder);
    EXPECT_TRUE(copytest::sameFiles(h.filesUnder(GetParam().folder),
                                    h.filesUnder(QStringLiteral("/Volumes/Photos"))));
    EXPECT_EQ(h.filesUnder(GetParam().folder).size(), kPhotos.size() + 2);
}

INSTANTIATE_TEST_SUITE_P(
    CopyDisk, CopyDestination,
    ::testing::Values(Destination{"RootVolume", "", "Macintosh HD", QStringLiteral("/") + kFolderName, false},
                      Destination{"FatVolume", "usb-fat32-mbr", "FAT",
                                  QStringLiteral("/Volumes/FAT/Tavrun(2024-05-01 09-30-00)"), false},
                      Destination{"DesktopOfTheStartingUser", "usb-hfs", "Backup",
                                  QStringLiteral("/Users/alice/Desktop/") + kFolderName, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_P(CopyFailure, EndsWithoutASuccessWindow) {
    Harness h;
    h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
    Files many = kPhotos;  // enough top-level items for the run to be stopped halfway
    for (int i = 0; i < 60; ++i) {
        many.insert(QStringLiteral("item %1.txt").arg(i, 2, 10, QLatin1Char('0')), QByteArray::number(i));
    }
    h.attach(QStringLiteral("Photos"), many);
    ASSERT_TRUE(h.pick(1, QStringLiteral("Photos")));
    ASSERT_TRUE(h.pick(2, QStringLiteral("Backup")));
    const Outcome outcome = answerRoad(h, QStringLiteral("result-") + GetParam().name, GetParam().during);
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_EQ(outcome.resultShown, GetParam().resultShown);
    EXPECT_TRUE(!outcome.resultShown || outcome.failed) << "never the success view";
    EXPECT_EQ(outcome.message, GetParam().message);
    EXPECT_TRUE(h.screen->copyProgressWC()->isFinished());
    EXPECT_LT(h.filesUnder(QStringLiteral("/Volumes/Backup/") + kFolderName).size(), 10);
    EXPECT_TRUE(h.startUsable()) << "the screen stays usable with its choices";
    if (GetParam().destinationStays) {
        // The next copy gets its own worker and window, and none of the ended run's reports.
        const Outcome next = answerRoad(h, QStringLiteral("result-after-") + GetParam().name);
        EXPECT_TRUE(next.resultShown && !next.failed) << next.message.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    CopyDisk, CopyFailure,
    ::testing::Values(Failure{"Cancel", [](Harness& h) { click(h.screen->copyProgressWC()->cancelButton()); },
                              true, QStringLiteral("You have stopped the copying process.")},
                      Failure{"TitleBarClose",
                              [](Harness& h) {
                                  click(h.screen->copyProgressWC()->aWindow()->standardWindowButton(0));
                              },
                              false,
                              {}},
                      Failure{"DestinationRefusesWrites",
                              [](Harness& h) {
                                  // The copy's folder turns into a file: nothing more can be written into it.
                                  const QString folder =
                                      h.sim.host(QStringLiteral("/Volumes/Backup/") + kFolderName);
                                  QDir(folder).removeRecursively();
                                  QFile(folder).open(QIODevice::WriteOnly);
                              },
                              true, DiskCopyViewController::kCopyFailedMessage},
                      Failure{"DestinationUnplugged",
                              [](Harness& h) { h.sim.detach(h.disks.value(QStringLiteral("Backup"))); }, true,
                              DiskCopyViewController::kCopyFailedMessage, false}),
    [](const auto& row) { return std::string(row.param.name); });

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

namespace {

// A source whose used space is too big for the 20 MB destination "Tiny".
void chooseTooBig(Harness& h, Files files = kPhotos) {
    h.attach(QStringLiteral("Big"), files);
    h.setUsedBytes(QStringLiteral("Big"), 100'000'000);
    h.attach(QStringLiteral("Tiny"), {}, QStringLiteral("usb-tiny"));
    ASSERT_TRUE(h.pick(1, QStringLiteral("Big")));
    ASSERT_TRUE(h.pick(2, QStringLiteral("Tiny")));
    EXPECT_FALSE(h.startUsable());
    EXPECT_TRUE(h.screen->errorView()->isVisible());
    copytest::screenshot(h.window.get(), QStringLiteral("screen-too-little-space"));
}

const QString kSame = sources::kSameVolumeMessage;
const QString kSpace = sources::kInsufficientSpaceMessage;

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    CopyDisk, CopyChecks,
    ::testing::Values(
        Check{"SameVolumeOnTheSourceSide",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(2, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
              },
              {kSame},
              false,
              kNoSource,
              QStringLiteral("USB"),
              0},
        Check{"SameVolumeOnTheDestinationSide",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(2, QStringLiteral("USB")));
              },
              {kSame},
              false,
              QStringLiteral("USB"),
              kNoDestination,
              0},
        Check{"TooLittleSpaceThenASmallerSet",
              [](Harness& h) {
                  chooseTooBig(h);
                  h.chooseSet([](ListFileViewController& list) {
                      copytest::uncheck(list, {QStringLiteral("Photos"), QStringLiteral("Documents")});
                  });
                  EXPECT_FALSE(h.screen->errorView()->isVisible());
              },
              {kSpace},
              true,
              QStringLiteral("1 files/folders"),
              QStringLiteral("Tiny"),
              0},
        Check{"ChosenSetTooBigSwitchesCopyNowOffWithoutADialog",
              [](Harness& h) {
                  Files withBigFile = kPhotos;
                  withBigFile.insert(QStringLiteral("big.bin"), QByteArray(21'000'000, 'x'));
                  chooseTooBig(h, withBigFile);
                  h.chooseSet([](ListFileViewController& list) {
                      copytest::uncheck(list, {QStringLiteral("Photos"), QStringLiteral("Documents"),
                                               QStringLiteral("notes.txt")});
                  });
                  EXPECT_TRUE(h.screen->errorView()->isVisible());
              },
              {kSpace},
              false,
              QStringLiteral("1 files/folders"),
              QStringLiteral("Tiny"),
              0},
        Check{"CopyAllFilesKeepsTheChosenSet",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(2, kRoot));
                  h.chooseSet([](ListFileViewController& list) {
                      copytest::uncheck(list, {QStringLiteral("Photos"), QStringLiteral("Documents")});
                  });
                  h.chooseAllFiles();
                  EXPECT_EQ(h.screen->selectFilesSize(), 18) << "the chosen set stays what counts";
              },
              {},
              true,
              QStringLiteral("1 files/folders"),
              kRoot,
              0},
        Check{"DropWithoutDestination",
              [](Harness& h) {
                  h.drop({QStringLiteral("/Volumes/USB/notes.txt"), QStringLiteral("/Volumes/USB/Photos")});
                  EXPECT_FALSE(h.startUsable());
                  EXPECT_EQ(h.panelSize(1), "2 files selected");
                  ASSERT_TRUE(h.pick(2, kRoot));
              },
              {},
              true,
              QStringLiteral("add some files"),
              kRoot,
              0},
        Check{"NewSourceAfterTooLittleSpaceRaisesNoFalseDialog",
              [](Harness& h) {
                  chooseTooBig(h);
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
              },
              {kSpace},
              true,
              QStringLiteral("USB"),
              QStringLiteral("Tiny"),
              0},
        Check{"DropAfterTooLittleSpaceRaisesNoFalseDialog",
              [](Harness& h) {
                  chooseTooBig(h);
                  h.drop({QStringLiteral("/Volumes/USB/notes.txt")});
              },
              {kSpace},
              true,
              QStringLiteral("add some files"),
              QStringLiteral("Tiny"),
              0},
        Check{"NothingChecked",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(2, kRoot));
                  h.chooseSet([](ListFileViewController& list) { list.setAllSelectOrNoSelect(); });
                  h.copyNow();
              },
              {DiskCopyViewController::kNothingSelectedMessage},
              true,
              QStringLiteral("0 files/folders"),
              kRoot,
              0},
        Check{"EmptyVolume",
              [](Harness& h) {
                  h.attach(QStringLiteral("Empty"));
                  QDir(h.sim.host(QStringLiteral("/Volumes/Empty/Photos"))).removeRecursively();
                  QDir(h.sim.host(QStringLiteral("/Volumes/Empty/Documents"))).removeRecursively();
                  ASSERT_TRUE(h.pick(1, QStringLiteral("Empty")));
                  ASSERT_TRUE(h.pick(2, kRoot));
                  h.copyNow();
              },
              {DiskCopyViewController::kNothingSelectedMessage},
              true,
              QStringLiteral("Empty"),
              kRoot,
              0},
        Check{"SourceUnpluggedBeforeTheCopy",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(2, kRoot));
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
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(2, QStringLiteral("Backup")));
                  h.sim.detach(h.disks.value(QStringLiteral("Backup")));
                  h.confirmWith = true;
                  h.copyNow();
                  EXPECT_FALSE(QDir(h.sim.host(QStringLiteral("/Volumes/Backup"))).exists())
                      << "no folder made at the vanished mount point";
              },
              {sources::kUnpluggedMessage},
              false,
              QStringLiteral("USB"),
              kNoDestination,
              1},
        Check{"DroppedFolderHoldingTheDestination",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(2, QStringLiteral("USB")));
                  h.drop({QStringLiteral("/Volumes/USB")});
                  h.copyNow();
              },
              {kSame},
              true,
              QStringLiteral("add some files"),
              QStringLiteral("USB"),
              0},
        Check{"CopyNowAndTheFileListWaitForTheScan",
              [](Harness& h) {
                  ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                  ASSERT_TRUE(h.pick(2, kRoot));
                  click(h.screen->cloneButton());
                  EXPECT_TRUE(h.screen->isScanning());
                  click(h.screen->cloneButton());
                  h.screen->doShowSearchView();
                  EXPECT_EQ(h.screen->diskListWC(), nullptr);
                  EXPECT_TRUE(h.settle());
                  EXPECT_EQ(h.screen->copyArr()->size(), 3U);
              },
              {},
              true,
              QStringLiteral("USB"),
              kRoot,
              1}),
    [](const auto& row) { return std::string(row.param.name); });
