#include "tests/app/image/ImageHarness.h"

#include "app/image/DMGMakeSureWC.h"
#include "app/image/DMGMakeSureWCDelegate.h"
#include "app/image/ZIPEndWinodwController.h"
#include "app/image/ZIPProgressWCDelegate.h"
#include "app/image/ZIPProgressWindowController.h"
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

using imagetest::click;
using imagetest::isRunning;

namespace {

struct Counts : ZIPProgressWCDelegate, DMGMakeSureWCDelegate {
    void cancelMakeZip() override { ++cancels; }
    void beginToMakeDMGorZIP() override { ++begins; }
    int cancels = 0;
    int begins = 0;
};

// How a job leaves the progress window, and the result view that follows ("" for none).
struct Ending {
    const char* name;
    std::function<void(ZIPProgressWindowController&)> end;
    QString result;
    int cancels;
    bool reveals = true;
    QString reason{};  // below the failure's message
};

void PrintTo(const Ending& row, std::ostream* out) {
    *out << row.name;
}

class ProgressEnding : public ::testing::TestWithParam<Ending> {};

const QString kImage = QStringLiteral("/Volumes/Backup/") + imagetest::kName + QStringLiteral(".dmg");

}  // namespace

TEST_P(ProgressEnding, EndsOnceAndReportsAfterTheEndChangeNothing) {
    Counts counts;
    ZIPProgressWindowController progress;
    progress.setDelegate(&counts);
    progress.setOpenUrl(kImage);
    QString revealed;
    ZIPEndWinodwController::setRevealForTesting(
        [&](const QString& path) { return !(revealed = path).isEmpty() && GetParam().reveals; });
    QString shown;
    imagetest::Answers answers;
    answers.when([&] { return isRunning(progress.window()); },
                 [&] {
                     progress.changePathValue(QStringLiteral("/Volumes/USB/Photos"), 99.5F);
                     EXPECT_TRUE(isRunning(progress.window())) << "99.5 is not the end";
                     EXPECT_EQ(progress.pathLabel()->text(), "/Volumes/USB/Photos");
                     const int frame = progress.proView()->frame();
                     imagetest::screenshot(progress.window(), QStringLiteral("progress"));
                     EXPECT_TRUE(testsupport::waitUntil([&] { return progress.proView()->frame() != frame; }))
                         << "the spinner turns while the window runs";
                     imagetest::screenshot(progress.window(), QStringLiteral("progress-turned"));
                     GetParam().end(progress);
                 });
    answers.when([&] { return progress.endWC() && isRunning(progress.endWC()->window()); },
                 [&] {
                     ZIPEndWinodwController* result = progress.endWC();
                     progress.changePathValue(QString(), 100);  // the archive road's late 100
                     progress.showErrorView(QStringLiteral("late"));
                     EXPECT_EQ(progress.endWC(), result) << "no second result window";
                     EXPECT_TRUE(isRunning(result->window())) << "a late report ends no other window's run";
                     const bool failed = result->failView()->isVisible();
                     shown = failed ? result->errorLabel()->text() : result->openUrl();
                     imagetest::screenshot(result->window(), QStringLiteral("result-") + GetParam().name);
                     if (failed) {
                         EXPECT_EQ(result->reasonLabel()->text(), GetParam().reason);
                         click(result->failCancelButton());
                         return;
                     }
                     click(result->openButton());
                     EXPECT_TRUE(isRunning(result->window())) << "the link leaves the window open";
                     EXPECT_EQ(result->openLabel()->text().contains(kImage), !GetParam().reveals)
                         << "a file that cannot be shown is named";
                     click(result->succCancelButton());
                 });
    kit::ModalRun::runModalForWindow(progress.window());
    EXPECT_TRUE(testsupport::waitUntil([&] { return answers.pending() == 0 || !progress.endWC(); }));
    progress.changePathValue(QString(), 100);  // after everything: still nothing
    ZIPEndWinodwController::setRevealForTesting({});

    EXPECT_TRUE(progress.end());
    EXPECT_FALSE(progress.window()->isVisible());
    EXPECT_FALSE(progress.proView()->isVisible()) << "the spinner stops";
    EXPECT_FALSE(progress.proView()->isSpinning());
    EXPECT_EQ(shown, GetParam().result);
    EXPECT_EQ(progress.endWC() != nullptr, !GetParam().result.isEmpty());
    EXPECT_EQ(revealed, GetParam().result == kImage ? kImage : QString());
    EXPECT_EQ(counts.cancels, GetParam().cancels);
}

INSTANTIATE_TEST_SUITE_P(
    DiskImage, ProgressEnding,
    ::testing::Values(
        Ending{"Success", [](auto& p) { p.changePathValue(QString(), 100); }, kImage, 0},
        Ending{"SuccessWithoutAFileBrowser", [](auto& p) { p.changePathValue(QString(), 100); }, kImage, 0,
               false},
        Ending{"Cancel", [](auto& p) { click(p.cancelButton()); },
               ZIPProgressWindowController::kStoppedMessage, 1},
        Ending{"Failure", [](auto& p) { p.showErrorView(DmgViewController::kImageFailedMessage); },
               DmgViewController::kImageFailedMessage, 0},
        Ending{"FailureWithItsReason",
               [](auto& p) {
                   p.showErrorView(DmgViewController::kImageFailedMessage, "No space left on device");
               },
               DmgViewController::kImageFailedMessage, 0, true, "No space left on device"},
        Ending{"TitleBarClose", [](auto& p) { click(p.aWindow()->standardWindowButton(0)); }, {}, 1},
        Ending{"WindowManagerClose", [](auto& p) { p.aWindow()->close(); }, {}, 1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ZipProgressText, ShowsWhatFollowsTheFirstLineOfAZipChunk) {
    const struct {
        QString text;
        QString shown;
    } rows[] = {
        {QStringLiteral("Configuration setting ..."), QStringLiteral("Configuration setting ...")},
        {QStringLiteral("/Volumes/USB/a\nb"), QStringLiteral("/Volumes/USB/a\nb")},  // not zip's
        {QStringLiteral("  adding: a (stored 0%)\n  adding: b (deflated 5%)\n"),
         QStringLiteral("adding: b (deflated 5%)")},
        {QStringLiteral("  adding: a (stored 0%)\n"), QStringLiteral("adding: a (stored 0%)")},
        {QStringLiteral("  adding: a (deflated 63%)"), QStringLiteral("  adding: a (deflated 63%)")},
        {QString(), QString()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ZIPProgressWindowController::shownText(row.text), row.shown) << row.text.toStdString();
    }
}

TEST(ZipEndWindow, ColoursTheLinkPhraseOfATextLongerThanTenCharacters) {
    for (const auto& [text, coloured] :
         {std::pair{QStringLiteral("0123456789"), false},
          std::pair{QStringLiteral("Show ") + ZIPEndWinodwController::kLinkPhrase, true}}) {
        ZIPEndWinodwController result;
        result.window();
        result.openLabel()->setText(text);
        result.showFaile(false);
        EXPECT_EQ(result.openLabel()->textFormat() == Qt::RichText, coloured) << text.toStdString();
        EXPECT_EQ(result.openLabel()->text().contains(QLatin1String("#4162ff")), coloured)
            << text.toStdString();
        EXPECT_TRUE(!result.sucView()->isHidden() && result.failView()->isHidden());
    }
}

namespace {

// A key pressed in the window, as its user would: it is the active window.
void pressKey(QWidget* window, Qt::Key key) {
    QApplication::setActiveWindow(window);
    QTest::keyClick(window, key);
}

}  // namespace

TEST(ImageConfirmation, OnlyCreateImageTellsTheScreen) {
    const struct {
        const char* name;
        std::function<void(DMGMakeSureWC&)> answer;
        int begins;
    } rows[] = {
        {"create", [](DMGMakeSureWC& q) { click(q.doneButton()); }, 1},
        {"cancel", [](DMGMakeSureWC& q) { click(q.cancelButton()); }, 0},
        {"close", [](DMGMakeSureWC& q) { click(q.window()->standardWindowButton(0)); }, 0},
        {"return", [](DMGMakeSureWC& q) { pressKey(q.window(), Qt::Key_Return); }, 1},
        {"escape", [](DMGMakeSureWC& q) { pressKey(q.window(), Qt::Key_Escape); }, 0},
    };
    for (const auto& row : rows) {
        Counts counts;
        DMGMakeSureWC question;
        question.setDelegate(&counts);
        imagetest::Answers answers;
        answers.when([&] { return isRunning(question.window()); },
                     [&] {
                         imagetest::screenshot(question.window(), QStringLiteral("confirmation"));
                         row.answer(question);
                     });
        EXPECT_EQ(kit::ModalRun::runModalForWindow(question.window()), kit::ModalRun::kResponseStop)
            << row.name;
        EXPECT_FALSE(question.window()->isVisible()) << row.name;
        EXPECT_EQ(counts.begins, row.begins) << row.name;
    }
}
