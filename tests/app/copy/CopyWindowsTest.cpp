#include "tests/app/copy/CopyTestSupport.h"

#include "app/copy/CopyMakeSureWC.h"
#include "app/copy/CopyMakeSureWCDelegate.h"
#include "app/copy/CopyProgreWCDelegate.h"
#include "app/copy/CopyProgreWindowController.h"
#include "app/copy/CopySorFWindowController.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

using copytest::click;
using copytest::isRunning;

namespace {

const QString kFolder = QStringLiteral("/Volumes/Backup/Tavrun(2024-05-01 09:30:00)");

struct Spy : CopyMakeSureWCDelegate, CopyProgreWCDelegate {
    void beginToCopyFiles() override {
        ++begins;
        confirmationShownAtBegin = confirmation->isVisible();
    }
    void cancelCopy() override { ++cancels; }
    QWidget* confirmation = nullptr;
    int begins = 0;
    bool confirmationShownAtBegin = false;
    int cancels = 0;
};

struct Confirming {
    const char* name;
    std::function<QAbstractButton*(CopyMakeSureWC&)> button;
    int begins;
};

void PrintTo(const Confirming& row, std::ostream* out) {
    *out << row.name;
}

class Confirmation : public ::testing::TestWithParam<Confirming> {};

// How a run leaves the progress window, and what follows.
struct Ending {
    const char* name;
    std::function<void(CopyProgreWindowController&)> end;
    bool opensResult;
    bool failed;
    QString message;
    int cancels;
};

void PrintTo(const Ending& row, std::ostream* out) {
    *out << row.name;
}

class ProgressEnding : public ::testing::TestWithParam<Ending> {};

}  // namespace

TEST_P(Confirmation, OnlyCopyNowBeginsAndOnlyOnceTheDialogIsGone) {
    Spy spy;
    CopyMakeSureWC dialog;
    dialog.setDelegate(&spy);
    spy.confirmation = dialog.window();
    copytest::Answers answers;
    answers.when([&] { return isRunning(dialog.window()); },
                 [&] {
                     copytest::screenshot(dialog.window(), QStringLiteral("confirmation"));
                     click(GetParam().button(dialog));
                 });
    kit::ModalRun::runModalForWindow(dialog.window());
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_FALSE(dialog.window()->isVisible());
    EXPECT_EQ(spy.begins, GetParam().begins);
    EXPECT_FALSE(spy.confirmationShownAtBegin);
    EXPECT_EQ(dialog.doneButton()->textField()->text(), "Copy Now");
    EXPECT_EQ(dialog.doneButton()->normalImage().name(), "btn_pri");
    EXPECT_EQ(dialog.cancelButton()->textField()->text(), "Cancel");
}

INSTANTIATE_TEST_SUITE_P(
    Copy, Confirmation,
    ::testing::Values(
        Confirming{"Cancel", [](CopyMakeSureWC& d) -> QAbstractButton* { return d.cancelButton(); }, 0},
        Confirming{"CloseButton", [](CopyMakeSureWC& d) { return d.window()->standardWindowButton(0); }, 0},
        Confirming{"CopyNow", [](CopyMakeSureWC& d) -> QAbstractButton* { return d.doneButton(); }, 1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_P(ProgressEnding, EndsOnceAndLateReportsChangeNothing) {
    const Ending& row = GetParam();
    Spy spy;
    CopyProgreWindowController progress;
    progress.setDelegate(&spy);
    progress.setOpenUrl(kFolder);
    QString opened;
    CopySorFWindowController::setOpenFolderForTesting(
        [&](const QString& folder) { return !(opened = folder).isEmpty(); });
    CopySorFWindowController* result = nullptr;
    bool resultFailed = false;
    QString resultMessage;
    copytest::Answers answers;
    answers.when([&] { return isRunning(progress.window()); },
                 [&] {
                     EXPECT_TRUE(progress.proView()->isVisible()) << "spinning while the copy runs";
                     progress.changePathValue(QStringLiteral("/Volumes/USB/Photos/a.jpg"));
                     progress.changeProValue(99.5F);
                     EXPECT_TRUE(isRunning(progress.window())) << "99.5 is not the end";
                     EXPECT_GT(progress.rogressView()->filledWidth(),
                               0.98F * progress.rogressView()->width());
                     copytest::screenshot(progress.window(), QStringLiteral("progress"));
                     row.end(progress);
                 });
    if (row.opensResult) {
        answers.when([&] { return progress.resultWC() && isRunning(progress.resultWC()->window()); },
                     [&] {
                         result = progress.resultWC();
                         // Reports of the worker that arrive while the result window runs.
                         progress.changeProValue(100);
                         progress.showFailView(QStringLiteral("late"));
                         progress.changePathValue(QStringLiteral("late"));
                         EXPECT_EQ(progress.resultWC(), result) << "no second result window";
                         resultFailed = result->failView()->isVisible();
                         EXPECT_NE(result->sucView()->isVisible(), resultFailed);
                         resultMessage = resultFailed ? result->errorLable()->text() : result->openUrl();
                         copytest::screenshot(result->window(), QStringLiteral("result-") + row.name);
                         if (!resultFailed) {
                             click(result->openButton());
                             EXPECT_TRUE(isRunning(result->window())) << "the link leaves the window open";
                         }
                         click(resultFailed ? result->failCancelButton() : result->succCancelButton());
                     });
    }
    kit::ModalRun::runModalForWindow(progress.window());
    CopySorFWindowController::setOpenFolderForTesting({});

    EXPECT_EQ(answers.pending(), 0);
    EXPECT_TRUE(progress.isFinished());
    EXPECT_FALSE(progress.window()->isVisible());
    EXPECT_FALSE(progress.proView()->isVisible());
    EXPECT_EQ(spy.cancels, row.cancels);
    EXPECT_EQ(progress.pathLabel()->text(), "/Volumes/USB/Photos/a.jpg");
    EXPECT_EQ(result, progress.resultWC());
    EXPECT_EQ(result != nullptr, row.opensResult);
    if (row.opensResult) {
        EXPECT_EQ(resultFailed, row.failed);
        EXPECT_EQ(resultMessage, row.failed ? row.message : kFolder);
        EXPECT_EQ(opened, row.failed ? QString() : kFolder);
        EXPECT_FALSE(result->window()->isVisible());
    }
    progress.changeProValue(100);  // a report after everything has ended
    EXPECT_EQ(progress.resultWC(), result);
}

INSTANTIATE_TEST_SUITE_P(
    Copy, ProgressEnding,
    ::testing::Values(
        Ending{"Hundred", [](CopyProgreWindowController& p) { p.changeProValue(100); }, true, false, {}, 0},
        Ending{"Cancel", [](CopyProgreWindowController& p) { click(p.cancelButton()); }, true, true,
               QStringLiteral("You have stopped the copying process."), 1},
        Ending{
            "Failure",
            [](CopyProgreWindowController& p) { p.showFailView(QStringLiteral("Some files copy failed!")); },
            true, true, QStringLiteral("Some files copy failed!"), 0},
        Ending{"TitleBarClose",
               [](CopyProgreWindowController& p) { click(p.aWindow()->standardWindowButton(0)); },
               false,
               false,
               {},
               1},
        Ending{"WindowManagerClose",
               [](CopyProgreWindowController& p) { p.aWindow()->close(); },
               false,
               false,
               {},
               1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CopyResult, ColoursTheLinkPhraseOnlyInATextLongerThanTenCharacters) {
    CopySorFWindowController result;
    result.showFaile(false);
    EXPECT_EQ(result.openLabel()->textFormat(), Qt::RichText);
    EXPECT_TRUE(
        result.openLabel()->text().contains(QStringLiteral("<span style=\"color:#4162ff\">the copy on the "
                                                           "destination drive.</span>")))
        << result.openLabel()->text().toStdString();
    CopySorFWindowController shortText;
    shortText.window();
    shortText.openLabel()->setText(QStringLiteral("Open copy."));
    shortText.showFaile(false);
    EXPECT_EQ(shortText.openLabel()->textFormat(), Qt::PlainText);
    EXPECT_TRUE(shortText.sucView()->isVisibleTo(shortText.window()));
    EXPECT_FALSE(shortText.failView()->isVisibleTo(shortText.window()));
}
