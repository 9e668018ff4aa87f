#include "tests/app/copy/CopyHarness.h"

#include "app/copy/CopyMakeSureWC.h"
#include "app/copy/CopyProgreWindowController.h"
#include "app/copy/CopySorFWindowController.h"
#include "app/copy/DiskCopyViewController.h"
#include "app/sources/DestinationFolder.h"
#include "app/sources/ListFileViewController.h"
#include "app/sources/ScreenMessages.h"
#include "app/sources/SelectValueView.h"
#include "platform/Dispatch.h"
#include "services/files/DoCopyFiles.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

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

// "Copy Now", then "Copy Now" in the confirmation, `during` once the progress shows an item (and `held`
// holds), and the result window's button.
Outcome copyRoad(
    Harness& h, const QString& shot, const std::function<void(Harness&)>& during = {},
    const std::function<bool()>& held = [] { return true; }) {
    h.answers.when([&h] { return h.screen->makeSureWC() && isRunning(h.screen->makeSureWC()->window()); },
                   [&h] { click(h.screen->makeSureWC()->doneButton()); });
    if (during) {
        h.answers.when(
            [&h, held] {
                CopyProgreWindowController* progress = h.screen->copyProgressWC();
                return progress && isRunning(progress->window()) && progress->pathLabel()->text() != " " &&
                       held();
            },
            [&h, during] { during(h); });
    }
    return h.runToResult<CopySorFWindowController>(
        [&h] { return h.screen->copyProgressWC() && h.screen->copyProgressWC()->isFinished(); },
        [&h] { return h.screen->copyProgressWC()->resultWC(); }, &CopySorFWindowController::errorLable, shot);
}

// Holds the copy's thread before its `at`-th item or file until the test opens it; it opens by itself after
// a minute, and says so.
class Gate {
public:
    explicit Gate(int at) : at_(at) {}

    void pass() {
        std::unique_lock lock(mutex_);
        if (++count_ != at_) {
            return;
        }
        held_ = true;
        timedOut_ = !opened_.wait_for(lock, std::chrono::minutes(1), [this] { return open_; });
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    bool held() {
        const std::lock_guard lock(mutex_);
        return held_;
    }
    bool timedOut() {
        const std::lock_guard lock(mutex_);
        return timedOut_;
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    const int at_;
    int count_ = 0;
    bool held_ = false;
    bool open_ = false;
    bool timedOut_ = false;
};

}  // namespace

namespace {

// What stands under the dated name on the destination before the copy.
enum class InTheWay { Nothing, File, Folder };

// Photos on "Photos" copied to a destination: its whole content or a set chosen in the file list.
struct Road {
    const char* name;
    const char* devicePreset;  // none: the root volume
    QString volume;
    QString folder;
    std::function<void(ListFileViewController&)> choose;  // none: the whole source
    std::optional<Files> copied;                          // none: everything on "Photos"
    InTheWay inTheWay = InTheWay::Nothing;
    const char* macPreset = "apple-silicon-13";
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

QString desktop() {
    const testsupport::ScopedEnv sudoUser("SUDO_USER", QStringLiteral("alice"));
    return QStringLiteral("/Users/%1/Desktop/").arg(sources::startingUserName());
}

// The folder a second copy at the same time goes into: the next free variant of the dated name.
QString nextFolder(const QString& folder) {
    return folder.endsWith(QLatin1String(" 1")) ? folder.chopped(1) + QLatin1Char('2') : folder + " 1";
}

const Files kEarlier{{QStringLiteral("old.txt"), QByteArray("an earlier copy")}};

}  // namespace

TEST_P(CopyRoad, CopiesThroughThePickerIntoANewDatedFolderByteForByte) {
    const Road& row = GetParam();
    const testsupport::ScopedEnv sudoUser("SUDO_USER", QStringLiteral("alice"));
    Harness h(QLatin1String(row.macPreset));
    h.attach(QStringLiteral("Photos"), kPhotos);
    if (row.devicePreset) {
        h.attach(row.volume, {}, QLatin1String(row.devicePreset));
    }
    if (row.inTheWay == InTheWay::File) {
        h.writeFile(kBackupFolder, "in the way");
    } else if (row.inTheWay == InTheWay::Folder) {
        h.writeFile(kBackupFolder + "/old.txt", kEarlier.first());
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
    EXPECT_EQ(h.screen->copyFolder().onDesktop, row.folder.startsWith(QLatin1String("/Users/")));
    EXPECT_EQ(h.screen->copyProgressWC()->resultWC()->openLabel()->text().contains("on your Desktop"),
              h.screen->copyFolder().onDesktop);
    const Files copied = h.filesUnder(row.folder);
    EXPECT_TRUE(copied == row.copied.value_or(h.filesUnder(QStringLiteral("/Volumes/Photos"))))
        << copied.keys().join(' ').toStdString();
    if (row.inTheWay == InTheWay::Folder) {
        EXPECT_TRUE(h.filesUnder(kBackupFolder) == kEarlier) << "the folder already there is left alone";
    }

    // Again at the same time, with a folder added to the source since: a whole source is listed afresh (a
    // chosen set stays as chosen), into a folder of its own.
    h.writeFile(QStringLiteral("/Volumes/Photos/Added/new.txt"), "added since");
    EXPECT_EQ(copyRoad(h, QStringLiteral("result-again-") + row.name).shown, nextFolder(row.folder));
    EXPECT_TRUE(h.filesUnder(nextFolder(row.folder)) ==
                row.copied.value_or(h.filesUnder(QStringLiteral("/Volumes/Photos"))));
    EXPECT_TRUE(h.filesUnder(row.folder) == copied) << "the first copy is left as it was";
    EXPECT_TRUE(h.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    CopyDisk, CopyRoad,
    ::testing::Values(
        Road{"WholeVolume", "usb-hfs", "Backup", kBackupFolder, {}, {}},
        Road{"ChosenSet", "usb-hfs", "Backup", kBackupFolder, chooseTrip,
             Files{{QStringLiteral("Photos/Trip/sea.png"), QByteArray(500, 's')}}},
        Road{
            "RootVolumeOf10_14", nullptr, kRoot, "/" + kFolderName, {}, {}, InTheWay::Nothing, "intel-10.14"},
        Road{"RootVolumeOf13IsReadOnly", nullptr, kRoot, desktop() + kFolderName, {}, {}},
        Road{"FatVolume", "usb-fat32-mbr", "FAT", "/Volumes/FAT/Tavrun(2024-05-01 09-30-00)", {}, {}},
        Road{"NameTakenByAFile", "usb-hfs", "Backup", kBackupFolder + " 1", {}, {}, InTheWay::File},
        Road{"NameTakenByAFolder", "usb-hfs", "Backup", kBackupFolder + " 1", {}, {}, InTheWay::Folder}),
    [](const auto& row) { return std::string(row.param.name); });

namespace {

struct Failure {
    const char* name;
    std::function<void(Harness&)> during;  // once the progress shows an item
    QString shown;                         // the failure view's message; empty: no result window
    bool unplugs = false;                  // a disk goes during the copy: the next copy is refused
    const char* reason = "^$";             // below the message, the items that failed: a pattern
};

void PrintTo(const Failure& row, std::ostream* out) {
    *out << row.name;
}

class CopyFailure : public ::testing::TestWithParam<Failure> {};

}  // namespace

// The copy waits before its fifth item while the row acts, then goes on.
TEST_P(CopyFailure, EndsWithoutASuccessWindowAndTheNextCopyRunsOnItsOwn) {
    Gate gate(5);
    Harness h;
    Files many = kPhotos;  // enough top-level items for the run to be stopped halfway
    for (int i = 0; i < 60; ++i) {
        many.insert(QStringLiteral("item %1.txt").arg(i, 2, 10, QLatin1Char('0')), QByteArray::number(i));
    }
    h.attach(QStringLiteral("Photos"), many);
    h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
    h.pickBoth(QStringLiteral("Photos"), QStringLiteral("Backup"));
    h.screen->setCopyGate([&gate](const QString&) { gate.pass(); });
    const auto during = [&gate](Harness& harness) {
        GetParam().during(harness);
        gate.open();
    };
    const Outcome outcome =
        copyRoad(h, QStringLiteral("result-") + GetParam().name, during, [&gate] { return gate.held(); });
    EXPECT_TRUE(gate.held()) << "the copy never reached its fifth item";
    EXPECT_FALSE(gate.timedOut()) << "the row never acted while the copy waited";
    EXPECT_FALSE(h.screen->doCopy()->isRunning());
    EXPECT_EQ(outcome.shown, GetParam().shown);
    EXPECT_EQ(outcome.failed, !GetParam().shown.isEmpty()) << "never the success view";
    const QLabel* reason = outcome.failed ? h.screen->copyProgressWC()->resultWC()->reasonLabel() : nullptr;
    const QString named = reason ? reason->text() : QString();
    EXPECT_TRUE(QRegularExpression(GetParam().reason).match(named).hasMatch()) << named.toStdString();
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
    ::testing::Values(
        Failure{"Cancel", [](Harness& h) { click(h.screen->copyProgressWC()->cancelButton()); },
                QStringLiteral("You have stopped the copying process.")},
        Failure{"TitleBarClose",
                [](Harness& h) { click(h.screen->copyProgressWC()->aWindow()->standardWindowButton(0)); },
                {}},
        Failure{"DestinationRefusesWrites",
                [](Harness& h) {  // the copy's folder turns into a file, which takes nothing
                    ASSERT_TRUE(QDir(h.sim.host(kBackupFolder)).removeRecursively());
                    h.writeFile(kBackupFolder, "not a folder");
                },
                DiskCopyViewController::kCopyFailedMessage, false, "(^|\\n)/Volumes/Backup/Tavrun\\(.+\\)$"},
        Failure{"SourceUnpluggedMidCopy",
                [](Harness& h) { h.sim.detach(h.disks.value(QStringLiteral("Photos"))); },
                DiskCopyViewController::kCopyFailedMessage, true,
                "^(/Volumes/Photos/item .+\\n){3}and \\d+ more$"},
        Failure{"DestinationUnpluggedMidCopy",
                [](Harness& h) { h.sim.detach(h.disks.value(QStringLiteral("Backup"))); },
                DiskCopyViewController::kCopyFailedMessage, true, "(^|\\n)/Volumes/Backup/Tavrun\\(.+\\)$"}),
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
        Check{"DestinationUnpluggedBeforeCopyNow",
              [](Harness& h) {
                  h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
                  h.pickBoth(QStringLiteral("USB"), QStringLiteral("Backup"));
                  h.sim.detach(h.disks.value(QStringLiteral("Backup")));
                  h.copyNow();
              },
              {sources::kUnpluggedMessage},
              false,
              "USB",
              "Click to select a destination...",
              0},
        Check{"DestinationUnpluggedDuringTheConfirmation",
              [](Harness& h) {
                  h.attach(QStringLiteral("Backup"), {}, QStringLiteral("usb-hfs"));
                  h.pickBoth(QStringLiteral("USB"), QStringLiteral("Backup"));
                  h.confirmWith.reset();  // accepted once the drive has gone
                  h.answers.when(
                      [&h] { return h.screen->makeSureWC() && isRunning(h.screen->makeSureWC()->window()); },
                      [&h] {
                          h.sim.detach(h.disks.value(QStringLiteral("Backup")));
                          h.confirmWith = true;
                      });
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
