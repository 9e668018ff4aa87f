#include "tests/app/copy/CopyHarness.h"

#include "app/copy/CopyProgreWCDelegate.h"
#include "app/copy/CopyProgreWindowController.h"
#include "app/copy/CopySorFWindowController.h"
#include "app/sources/DestinationFolder.h"
#include "app/sources/OutputNames.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/controls/Spinner.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using copytest::click;
using copytest::isRunning;

namespace {

struct Cancels : CopyProgreWCDelegate {
    void cancelCopy() override { ++count; }
    int count = 0;
};

// How a run leaves the progress window, and the result view that follows ("" for none).
struct Ending {
    const char* name;
    std::function<void(CopyProgreWindowController&)> end;
    QString result;
    int cancels;
    bool folderOpens = true;
};

void PrintTo(const Ending& row, std::ostream* out) {
    *out << row.name;
}

class ProgressEnding : public ::testing::TestWithParam<Ending> {};

const QString kFolder = QStringLiteral("/Volumes/Backup/Tavrun(2024-05-01 09:30:00)");

}  // namespace

TEST_P(ProgressEnding, EndsOnceAndReportsAfterTheEndChangeNothing) {
    Cancels cancels;
    CopyProgreWindowController progress;
    progress.setDelegate(&cancels);
    progress.setOpenUrl(kFolder);
    QString opened;
    CopySorFWindowController::setOpenFolderForTesting(
        [&](const QString& folder) { return !(opened = folder).isEmpty() && GetParam().folderOpens; });
    QString shown;
    copytest::Answers answers;
    answers.when([&] { return isRunning(progress.window()); },
                 [&] {
                     progress.changePathValue(QStringLiteral("/Volumes/USB/Photos/a.jpg"));
                     progress.changeProValue(99.5F);
                     EXPECT_TRUE(isRunning(progress.window())) << "99.5 is not the end";
                     const int frame = progress.proView()->frame();
                     copytest::screenshot(progress.window(), QStringLiteral("progress"));
                     EXPECT_TRUE(testsupport::waitUntil([&] { return progress.proView()->frame() != frame; }))
                         << "the spinner turns while the window runs";
                     copytest::screenshot(progress.window(), QStringLiteral("progress-turned"));
                     GetParam().end(progress);
                 });
    answers.when(
        [&] { return progress.resultWC() && isRunning(progress.resultWC()->window()); },
        [&] {
            CopySorFWindowController* result = progress.resultWC();
            progress.changeProValue(100);  // late reports of the worker, while the result runs
            progress.showFailView(QStringLiteral("late"));
            EXPECT_EQ(progress.resultWC(), result) << "no second result window";
            shown = result->failView()->isVisible() ? result->errorLable()->text() : result->openUrl();
            copytest::screenshot(result->window(), QStringLiteral("result-") + GetParam().name);
            if (result->failView()->isVisible()) {
                click(result->failCancelButton());
                return;
            }
            click(result->openButton());
            EXPECT_TRUE(isRunning(result->window())) << "the link leaves the window open";
            EXPECT_EQ(result->openLabel()->text().contains(kFolder), !GetParam().folderOpens)
                << "a folder that cannot be opened is named";
            copytest::screenshot(result->window(), QStringLiteral("result-after-link-") + GetParam().name);
            click(result->succCancelButton());
        });
    kit::ModalRun::runModalForWindow(progress.window());
    progress.changeProValue(100);  // after everything
    CopySorFWindowController::setOpenFolderForTesting({});

    EXPECT_EQ(answers.pending(), GetParam().result.isEmpty() ? 1 : 0);
    EXPECT_TRUE(progress.isFinished() && !progress.window()->isVisible() && !progress.proView()->isVisible());
    EXPECT_FALSE(progress.proView()->isSpinning());
    EXPECT_EQ(shown, GetParam().result);
    EXPECT_EQ(opened, GetParam().result == kFolder ? kFolder : QString());
    EXPECT_EQ(cancels.count, GetParam().cancels);
    EXPECT_EQ(progress.pathLabel()->text(), "/Volumes/USB/Photos/a.jpg");
}

INSTANTIATE_TEST_SUITE_P(
    Copy, ProgressEnding,
    ::testing::Values(
        Ending{"Hundred", [](CopyProgreWindowController& p) { p.changeProValue(100); }, kFolder, 0},
        Ending{"HundredWithoutAFileBrowser", [](CopyProgreWindowController& p) { p.changeProValue(100); },
               kFolder, 0, false},
        Ending{"Cancel", [](CopyProgreWindowController& p) { click(p.cancelButton()); },
               QStringLiteral("You have stopped the copying process."), 1},
        Ending{"Escape",
               [](CopyProgreWindowController& p) {
                   QApplication::setActiveWindow(p.window());
                   QTest::keyClick(p.window(), Qt::Key_Escape);
               },
               QStringLiteral("You have stopped the copying process."), 1},
        Ending{"WindowManagerClose", [](CopyProgreWindowController& p) { p.aWindow()->close(); }, {}, 1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CopyNames, KeepTheColonWhereTheFileSystemTakesItAndNeverDoubleTheSlash) {
    const QDateTime time = copytest::kCopyTime;
    EXPECT_EQ(sources::datedName(time, QStringLiteral("APFS")), copytest::kFolderName);
    EXPECT_EQ(sources::datedName(time, QStringLiteral("Journaled HFS+")), copytest::kFolderName);
    for (const char* refusing : {"ExFAT", "MS-DOS FAT32", "MS-DOS (FAT16)", "NTFS"}) {
        EXPECT_EQ(sources::datedName(time, QLatin1String(refusing)), "Tavrun(2024-05-01 09-30-00)")
            << refusing;
    }
    EXPECT_EQ(sources::pathOnVolume(QStringLiteral("/"), copytest::kFolderName), "/" + copytest::kFolderName);
    EXPECT_EQ(sources::pathOnVolume(QStringLiteral("/Volumes/USB/"), QStringLiteral("a")), "/Volumes/USB/a");
}
