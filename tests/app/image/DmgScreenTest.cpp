#include "tests/app/image/ImageHarness.h"

#include "app/image/ZIPEndWinodwController.h"
#include "app/image/ZIPProgressWindowController.h"
#include "app/sources/DestinationFolder.h"
#include "app/sources/LComboBox.h"
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

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using imagetest::click;
using imagetest::Files;
using imagetest::Harness;
using imagetest::isRunning;
using imagetest::kName;
using screentest::kPhotos;
using screentest::Outcome;

namespace {

const QString kRoot = QStringLiteral("Macintosh HD");
const QString kBackup = QStringLiteral("/Volumes/Backup/") + kName;

// "Create Now", "Create Image" in the confirmation, and the result window's button.
Outcome createRoad(Harness& h, const QString& shot) {
    h.confirmWith = true;
    return h.runToResult<ZIPEndWinodwController>(
        [&h] { return h.screen->progressWC() && h.screen->progressWC()->end(); },
        [&h] { return h.screen->progressWC()->endWC(); }, &ZIPEndWinodwController::errorLabel, shot);
}

// Only Photos/Trip and notes.txt stay checked.
void chooseTripAndNotes(ListFileViewController& list) {
    imagetest::uncheck(list, {QStringLiteral("Documents"), QStringLiteral("Photos")});
    FileNode* photos = nullptr;
    for (const auto& node : *list.rootNodeArr()) {
        photos = node->name() == QLatin1String("Photos") ? node.get() : photos;
    }
    ASSERT_NE(photos, nullptr);
    list.outlineViewItemDidExpand(photos);
    for (const auto& child : photos->children()) {
        if (child->name() == QLatin1String("Trip")) {
            list.setObjectValue(sources::FileColumn::CheckBox, child.get());
        }
    }
}

// In an image each item keeps its path below the source, as in an archive.
const Files kTripAndNotes{{QStringLiteral("Photos/Trip/sea.png"), QByteArray(500, 's')},
                          {QStringLiteral("notes.txt"), QByteArray("Remember the milk\n")}};
const QStringList kTripAndNotesListing{QStringLiteral("Volumes/Photos/Photos/Trip/"),
                                       QStringLiteral("Volumes/Photos/Photos/Trip/sea.png"),
                                       QStringLiteral("Volumes/Photos/notes.txt")};

// Photos made into an image or an archive on a destination.
struct Road {
    const char* name;
    const char* macPreset;
    const char* devicePreset;  // none: the root volume
    QString volume;
    bool zip;
    std::function<void(ListFileViewController&)> choose;  // none: the whole source
    QString path;
    std::optional<Files> content;  // an image's; none: every file on "Photos" under its own top-level name
    QStringList listing;           // an archive's
    bool nameTaken = false;        // a file of the user's stands under the dated name, and stays
};

void PrintTo(const Road& row, std::ostream* out) {
    *out << row.name;
}

class ImageRoad : public ::testing::TestWithParam<Road> {};

QString desktop() {
    const testsupport::ScopedEnv sudoUser("SUDO_USER", QStringLiteral("alice"));
    return QStringLiteral("/Users/%1/Desktop/").arg(sources::startingUserName());
}

}  // namespace

TEST_P(ImageRoad, MakesWhatWasCheckedWhereTheDestinationTakesIt) {
    const Road& row = GetParam();
    const testsupport::ScopedEnv sudoUser("SUDO_USER", QStringLiteral("alice"));
    Harness h(QLatin1String(row.macPreset));
    h.attach(QStringLiteral("Photos"), kPhotos);
    if (row.devicePreset) {
        h.attach(row.volume, {}, QLatin1String(row.devicePreset));
    }
    const QString taken = QString(row.path).replace(QLatin1String(" 1."), QLatin1String("."));
    if (row.nameTaken) {
        h.writeFile(taken, "the user's");
    }
    h.pickBoth(QStringLiteral("Photos"), row.volume);
    EXPECT_EQ(h.screen->diskPicker().popoverController()->borderWidth(), 4.0);
    EXPECT_FALSE(h.screen->diskPicker().popoverController()->animates());
    if (row.zip) {
        click(h.screen->makeZipBut());
    }
    EXPECT_EQ(h.screen->isMakeZip(), row.zip);
    EXPECT_EQ(h.screen->makeZipBut()->imageName(), row.zip ? "radiobutton_sel" : "radiobutton_unsel");
    if (row.choose) {
        h.chooseSet(row.choose);
    }
    EXPECT_TRUE(h.startUsable());
    imagetest::screenshot(h.window.get(), QStringLiteral("screen-") + row.name);

    EXPECT_EQ(createRoad(h, QStringLiteral("result-") + row.name).shown, row.path);
    if (row.zip) {
        EXPECT_EQ(h.zipListing(row.path), row.listing);
    } else {
        Files expected = row.content.value_or(h.filesUnder(QStringLiteral("/Volumes/Photos")));
        expected.remove(QStringLiteral(".Trashes"));  // never chosen
        EXPECT_EQ(h.imageContent(row.path).keys(), expected.keys());
        EXPECT_TRUE(h.imageContent(row.path) == expected);
    }
    EXPECT_EQ(h.attachedImages(), 0);
    EXPECT_TRUE(h.errors.isEmpty()) << h.errors.join(' ').toStdString();
    if (row.nameTaken) {
        EXPECT_TRUE(h.filesUnder(QStringLiteral("/Volumes/Backup")).value(taken.section('/', -1)) ==
                    "the user's");
    }
    if (!row.choose && !row.zip) {  // again, with a file added since: the whole source is listed afresh
        h.writeFile(QStringLiteral("/Volumes/Photos/added.txt"), "added since");
        const QString again = createRoad(h, QStringLiteral("result-again-") + row.name).shown;
        EXPECT_EQ(h.imageContent(again).value(QStringLiteral("added.txt")), "added since")
            << again.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(DiskImage, ImageRoad,
                         ::testing::Values(Road{"ZipOfAChosenSet",
                                                "apple-silicon-13",
                                                "usb-hfs",
                                                "Backup",
                                                true,
                                                chooseTripAndNotes,
                                                kBackup + ".zip",
                                                {},
                                                kTripAndNotesListing},
                                           Road{"ImageOfTheWholeVolume",
                                                "apple-silicon-13",
                                                "usb-hfs",
                                                "Backup",
                                                false,
                                                {},
                                                kBackup + ".dmg",
                                                {},
                                                {}},
                                           Road{"ImageOfAChosenSet",
                                                "apple-silicon-13",
                                                "usb-hfs",
                                                "Backup",
                                                false,
                                                chooseTripAndNotes,
                                                kBackup + ".dmg",
                                                kTripAndNotes,
                                                {}},
                                           Road{"ZipOnTheRootVolumeOf13",
                                                "apple-silicon-13",
                                                nullptr,
                                                kRoot,
                                                true,
                                                chooseTripAndNotes,
                                                desktop() + kName + ".zip",
                                                {},
                                                kTripAndNotesListing},
                                           Road{"ImageOnTheRootVolumeOf13",
                                                "apple-silicon-13",
                                                nullptr,
                                                kRoot,
                                                false,
                                                chooseTripAndNotes,
                                                desktop() + kName + ".dmg",
                                                kTripAndNotes,
                                                {}},
                                           Road{"ZipOnTheRootVolumeOf10_14",
                                                "intel-10.14",
                                                nullptr,
                                                kRoot,
                                                true,
                                                chooseTripAndNotes,
                                                "/" + kName + ".zip",
                                                {},
                                                kTripAndNotesListing},
                                           Road{"ImageOnTheRootVolumeOf10_14",
                                                "intel-10.14",
                                                nullptr,
                                                kRoot,
                                                false,
                                                chooseTripAndNotes,
                                                "/Tavrun_dmg/" + kName + ".dmg",
                                                kTripAndNotes,
                                                {}},
                                           Road{"ZipOnFat",
                                                "apple-silicon-13",
                                                "usb-fat32-mbr",
                                                "FAT",
                                                true,
                                                chooseTripAndNotes,
                                                "/Volumes/FAT/Tavrun(2024-05-01 09-30-00).zip",
                                                {},
                                                kTripAndNotesListing},
                                           Road{"ZipBesideAnArchiveOfThatName",
                                                "apple-silicon-13",
                                                "usb-hfs",
                                                "Backup",
                                                true,
                                                chooseTripAndNotes,
                                                kBackup + " 1.zip",
                                                {},
                                                kTripAndNotesListing,
                                                true},
                                           Road{"ImageBesideAnImageOfThatName",
                                                "apple-silicon-13",
                                                "usb-hfs",
                                                "Backup",
                                                false,
                                                chooseTripAndNotes,
                                                kBackup + " 1.dmg",
                                                kTripAndNotes,
                                                {},
                                                true}),
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
};

void PrintTo(const Check& row, std::ostream* out) {
    *out << row.name;
}

class ImageChecks : public ::testing::TestWithParam<Check> {};

const QString kSame = sources::kSameVolumeMessage;
const QString kSpace = sources::kInsufficientSpaceMessage;
const QString kNoSource = QStringLiteral("Click to select a source...");
const QString kNoDestination = QStringLiteral("Click to select a destination...");

// "Big" says it uses 100 MB, too much for the 20 MB volume "Tiny".
void chooseTooBig(Harness& h) {
    h.attach(QStringLiteral("Big"), kPhotos);
    h.sim.simctl({QStringLiteral("set"),
                  h.sim.info(QStringLiteral("/Volumes/Big")).value("DeviceIdentifier").toString(),
                  QStringLiteral("UsedBytes"), QStringLiteral("100000000")});
    h.attach(QStringLiteral("Tiny"), {}, QStringLiteral("usb-tiny"));
    h.pickBoth(QStringLiteral("Big"), QStringLiteral("Tiny"));
    EXPECT_TRUE(h.screen->errorView()->isVisible());
    EXPECT_FALSE(h.screen->lComboBox()->searchButton()->isHidden()) << "switched to the chosen-set mode";
    imagetest::screenshot(h.window.get(), QStringLiteral("screen-too-little-space"));
}

// "Small" uses 5 MB: an archive of it fits on the 20 MB volume "Tiny", an image of it (50 MB larger) not.
void chooseSmallOnTiny(Harness& h) {
    h.attach(QStringLiteral("Small"));
    h.sim.simctl({QStringLiteral("set"),
                  h.sim.info(QStringLiteral("/Volumes/Small")).value("DeviceIdentifier").toString(),
                  QStringLiteral("UsedBytes"), QStringLiteral("5000000")});
    h.attach(QStringLiteral("Tiny"), {}, QStringLiteral("usb-tiny"));
    h.pickBoth(QStringLiteral("Small"), QStringLiteral("Tiny"));
}

// "Create Now" for an archive of "USB", which holds a name zip cannot be given (removed after: the test's
// folder is removed by names read as UTF-8).
void zipANameNotUtf8(Harness& h) {
    const QByteArray name = QFile::encodeName(h.sim.root()) + "/Volumes/USB/caf\xe9.txt";
    const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    h.pickBoth(QStringLiteral("USB"), QStringLiteral("Backup"));
    click(h.screen->makeZipBut());
    h.createNow();
    EXPECT_TRUE(h.settle());
    ::unlink(name.constData());
}

}  // namespace

TEST_P(ImageChecks, RefusesAndChecksTheSpaceOnTheStateAfterEachChoice) {
    Harness h;
    h.attach(QStringLiteral("USB"), kPhotos);
    h.attach(QStringLiteral("Backup"));
    h.confirmWith = false;
    GetParam().steps(h);
    EXPECT_TRUE(h.settle());
    EXPECT_EQ(h.errors, GetParam().errors);
    EXPECT_EQ(h.startUsable(), GetParam().startUsable);
    EXPECT_EQ(h.panelName(1), GetParam().source);
    EXPECT_EQ(h.panelName(2), GetParam().destination);
    EXPECT_EQ(h.confirmations, 0);
    EXPECT_TRUE(h.hdiutilVerbs().isEmpty());
    imagetest::screenshot(h.window.get(), QStringLiteral("screen-") + GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    DiskImage, ImageChecks,
    ::testing::Values(Check{"SameVolumeOnTheSourceSide",
                            [](Harness& h) {
                                ASSERT_TRUE(h.pick(2, QStringLiteral("USB")));
                                ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                                EXPECT_TRUE(h.screen->comboBoxView()->isHidden());
                            },
                            {kSame},
                            false,
                            kNoSource,
                            "USB"},
                      Check{"SameVolumeOnTheDestinationSide",
                            [](Harness& h) { h.pickBoth("USB", "USB"); },
                            {kSame},
                            false,
                            "USB",
                            kNoDestination},
                      Check{"TooLittleSpaceKeepsCreateNowOn",
                            [](Harness& h) { chooseTooBig(h); },
                            {kSpace},
                            true,
                            "Big",
                            "Tiny"},
                      Check{"AnImageCountsWhatItAddsAndAnArchiveNot",
                            [](Harness& h) {
                                chooseSmallOnTiny(h);
                                EXPECT_TRUE(h.screen->errorView()->isVisible());
                                click(h.screen->makeZipBut());
                                EXPECT_FALSE(h.screen->errorView()->isVisible());
                                click(h.screen->makeDmgBut());
                                EXPECT_TRUE(h.settle() && h.screen->errorView()->isVisible());
                            },
                            {kSpace, kSpace},
                            true,
                            "Small",
                            "Tiny"},
                      Check{"NewSourceAfterTooLittleSpaceRaisesNoFalseDialog",
                            [](Harness& h) {
                                click(h.screen->makeZipBut());  // an image of it would not fit
                                chooseTooBig(h);
                                ASSERT_TRUE(h.pick(1, QStringLiteral("USB")));
                                EXPECT_FALSE(h.screen->errorView()->isVisible());
                            },
                            {kSpace},
                            true,
                            "USB",
                            "Tiny"},
                      Check{"DropAfterTooLittleSpaceRaisesNoFalseDialog",
                            [](Harness& h) {
                                click(h.screen->makeZipBut());  // an image of it would not fit
                                chooseTooBig(h);
                                h.drop({QStringLiteral("/Volumes/USB/notes.txt")});
                                EXPECT_FALSE(h.screen->errorView()->isVisible());
                            },
                            {kSpace},
                            true,
                            "Drag some files",
                            "Tiny"},
                      Check{"NothingChecked",
                            [](Harness& h) {
                                h.pickBoth(QStringLiteral("USB"), QStringLiteral("Backup"));
                                h.chooseSet(
                                    [](ListFileViewController& list) { list.setAllSelectOrNoSelect(); });
                                h.createNow();
                            },
                            {DmgViewController::kNothingSelectedMessage},
                            true,
                            "0 files/folders",
                            "Backup"},
                      Check{
                          "DroppedFolderHoldingTheDestination",
                          [](Harness& h) {
                              ASSERT_TRUE(h.pick(2, QStringLiteral("Backup")));
                              h.drop({QStringLiteral("/Volumes/USB/notes.txt"), QStringLiteral("/Volumes")});
                              h.createNow();
                          },
                          {kSame},
                          true,
                          "Drag some files",
                          "Backup"},
                      Check{"ArchiveOfANameThatIsNotUtf8",
                            zipANameNotUtf8,
                            {DmgViewController::kNameNotForZipMessage.arg("/Volumes/USB/caf\\xE9.txt")},
                            true,
                            "USB",
                            "Backup"},
                      Check{"ClearingTheSourceAndTheDestination",
                            [](Harness& h) {
                                h.pickBoth(QStringLiteral("USB"), QStringLiteral("Backup"));
                                click(h.screen->selectToVC()->closeDisk());
                                EXPECT_TRUE(h.screen->comboBoxView()->isVisible() && !h.startUsable());
                                click(h.screen->selectFromVC()->closeDisk());
                                EXPECT_TRUE(h.screen->comboBoxView()->isHidden());
                            },
                            {},
                            false,
                            kNoSource,
                            kNoDestination}),
    [](const auto& row) { return std::string(row.param.name); });

namespace {

// A job on "Photos" into "Backup" that does not succeed: set up, then stopped or failing on its way.
struct Ending {
    const char* name;
    bool zip;
    std::function<void(Harness&)> setUp;  // faults, and when and how the job is stopped
    QString shown;                        // the failure view's message; empty: no result window
    QStringList hdiutilVerbs;
    Files leftOnBackup;  // besides the volume's own files
};

void PrintTo(const Ending& row, std::ostream* out) {
    *out << row.name;
}

class ImageEnding : public ::testing::TestWithParam<Ending> {};

const QString kStopped = ZIPProgressWindowController::kStoppedMessage;
const QStringList kCreateMountDetach{"create", "mount", "detach"};

// At the first report that names an item, between two reports as a click would come.
void atFirstItem(Harness& h, std::function<void(Harness&)> act) {
    h.screen->onReport = [&h, act, done = false](const QString& text) mutable {
        if (!done && text.contains(QLatin1String("Volumes/Photos/"))) {
            done = true;
            act(h);
        }
    };
}

void cancel(Harness& h) {
    click(h.screen->progressWC()->cancelButton());
}

// Unplugs the disk of the volume, as a pulled cable does.
void unplug(Harness& h, const QString& volume) {
    h.sim.detach(h.sim.info(QStringLiteral("/Volumes/") + volume).value("ParentWholeDisk").toString());
}

QVariantMap fault(const QString& tool, const QString& verb, const QString& action, int status = 1) {
    return {{"Tool", tool}, {"Verb", verb}, {"Action", action}, {"ExitStatus", status}, {"DelayMs", 1500}};
}

}  // namespace

TEST_P(ImageEnding, LeavesNoImageAttachedAndNothingThisRunMade) {
    const Ending& row = GetParam();
    Harness h;
    Files many = kPhotos;  // enough items for a copy to be stopped halfway
    for (int i = 0; i < 20; ++i) {
        many.insert(QStringLiteral("item %1.txt").arg(i, 2, 10, QLatin1Char('0')), QByteArray::number(i));
    }
    h.attach(QStringLiteral("Photos"), many);
    h.attach(QStringLiteral("Backup"));
    const Files before = h.filesUnder(QStringLiteral("/Volumes/Backup"));
    h.pickBoth(QStringLiteral("Photos"), QStringLiteral("Backup"));
    if (row.zip) {
        click(h.screen->makeZipBut());
    }
    row.setUp(h);
    const Outcome outcome = createRoad(h, QStringLiteral("result-") + row.name);
    EXPECT_EQ(outcome.shown, row.shown);
    EXPECT_EQ(outcome.failed, !row.shown.isEmpty()) << "never the success view";
    EXPECT_EQ(h.hdiutilVerbs(), row.hdiutilVerbs);
    EXPECT_EQ(h.attachedImages(), 0);
    Files left = h.filesUnder(QStringLiteral("/Volumes/Backup"));
    for (const QString& own : before.keys()) {
        left.remove(own);
    }
    EXPECT_EQ(left.keys(), row.leftOnBackup.keys());
    EXPECT_TRUE(h.startUsable()) << "the screen keeps its choices";
}

INSTANTIATE_TEST_SUITE_P(
    DiskImage, ImageEnding,
    ::testing::Values(
        Ending{"CancelBeforeTheJobStarts",
               false,
               [](Harness& h) {
                   h.answers.when(
                       [&h] { return h.screen->progressWC() && isRunning(h.screen->progressWC()->window()); },
                       [&h] { cancel(h); });
               },
               kStopped,
               {},
               {}},
        Ending{"CancelDuringTheImagesCreation",
               false,
               [](Harness& h) {
                   h.sim.addFault(fault("hdiutil", "create", "delay"));
                   h.answers.when([&h] { return h.hdiutilVerbs().contains(QStringLiteral("create")); },
                                  [&h] { cancel(h); });
               },
               kStopped,
               {"create"},
               {}},
        Ending{"CancelDuringTheCopy",
               false,
               [](Harness& h) { atFirstItem(h, cancel); },
               kStopped,
               kCreateMountDetach,
               {}},
        Ending{"TitleBarCloseThenALate100",
               false,
               [](Harness& h) {
                   atFirstItem(h, [](Harness& hh) {
                       click(hh.screen->progressWC()->aWindow()->standardWindowButton(0));
                       hh.screen->DmgViewController::copyFileToDmgWithFileName(QString(), 100);
                   });
               },
               {},
               kCreateMountDetach,
               {}},
        Ending{"ImageNotCreated",
               false,
               [](Harness& h) { h.sim.addFault(fault("hdiutil", "create", "exit")); },
               DmgViewController::kImageFailedMessage,
               {"create"},
               {}},
        Ending{"ImageNotMounted",
               false,
               [](Harness& h) { h.sim.addFault(fault("hdiutil", "mount", "exit")); },
               DmgViewController::kImageFailedMessage,
               {"create", "mount"},
               {}},
        Ending{"DestinationFilledAfterItWasChosen",
               false,
               [](Harness& h) {
                   h.sim.simctl(
                       {QStringLiteral("set"),
                        h.sim.info(QStringLiteral("/Volumes/Backup")).value("DeviceIdentifier").toString(),
                        QStringLiteral("UsedBytes"), QStringLiteral("999990000")});
               },
               DmgViewController::kImageFailedMessage,
               {"create"},
               {}},
        Ending{"SourceUnpluggedDuringTheCopy",
               false,
               [](Harness& h) { atFirstItem(h, [](Harness& hh) { unplug(hh, QStringLiteral("Photos")); }); },
               DmgViewController::kImageFailedMessage,
               kCreateMountDetach,
               {}},
        Ending{"SourceUnpluggedBeforeTheArchiveStarts",
               true,
               [](Harness& h) {
                   h.answers.when(
                       [&h] { return h.screen->progressWC() && isRunning(h.screen->progressWC()->window()); },
                       [&h] { unplug(h, QStringLiteral("Photos")); });
               },
               DmgViewController::kArchiveFailedMessage,
               {},
               {}},
        Ending{"CancelDuringTheArchive", true, [](Harness& h) { atFirstItem(h, cancel); }, kStopped, {}, {}},
        Ending{"ZipFails",
               true,
               [](Harness& h) { h.sim.addFault(fault("zip", "-r", "effectThenExit", 18)); },
               DmgViewController::kArchiveFailedMessage,
               {},
               {}}),
    [](const auto& row) { return std::string(row.param.name); });
