#include "tests/app/bootable/e2e/CloneHarness.h"

#include "app/bootable/MakeSureCancelCloneSystemVC.h"
#include "app/sources/ScreenMessages.h"
#include "services/jobs/KVBootable.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

using namespace bootabletest;

namespace {

using State = SelectDrivceViewController::RunState;

const QString kErase = QStringLiteral(
    "An error occurred when erasing data. Please make sure that the device is not being used or you have "
    "enough "
    "permissions.");

// Reports played to a screen whose clone the engine holds after its first steps (the bar at 5). A row that
// finds no run cloning starts one; rows that leave it cloning are played one after the other on that run.
struct ReportRow {
    const char* name;
    std::function<void(SelectDrivceViewController&)> play;
    float bar;
    QString status;
    State state;
    QStringList failures;  // the messages of the row's result windows, in order; "" for success
};

void notify(SelectDrivceViewController& screen, int error, int step) {
    screen.KVUINotify({error, step, 0});
}

const QList<ReportRow> kReportRows{
    {"cancelCodeShowsNothing", [](auto& s) { notify(s, -8, 1); }, 5, " ", State::Cloning, {}},
    {"step3", [](auto& s) { notify(s, 0, 3); }, 15, " ", State::Cloning, {}},
    {"firstPassTag1", [](auto& s) { s.changeProTimeWithTag(1, 1); }, 38, " ", State::Cloning, {}},
    {"secondPassTag10", [](auto& s) { s.changeProTimeWithTag(10, 2); }, 95, " ", State::Cloning, {}},
    {"trimmedStatus",
     [](auto& s) { s.changeProLabelValue(" \t Validating target...\t "); },
     95,
     "Validating target...",
     State::Cloning,
     {}},
    {"erase", [](auto& s) { notify(s, -4, 3); }, 95, "Validating target...", State::Done, {kErase}},
    {"version",
     [](auto& s) { notify(s, -5, 3); },
     5,
     " ",
     State::Done,
     {"System version does not support this function."}},
    {"unplugged", [](auto& s) { notify(s, -3, 2); }, 5, " ", State::Done, {sources::kUnpluggedMessage}},
    {"noSource",
     [](auto& s) { notify(s, -1, 3); },
     5,
     " ",
     State::Done,
     {"Failed to create bootable disk, please try again."}},
    {"lateReportsAfterTheEnd",
     [](auto& s) {
         notify(s, -4, 3);
         notify(s, -7, 8);
         notify(s, 0, 8);
     },
     5,
     " ",
     State::Done,
     {kErase}},
    // The held target was never erased: no container, no Preboot; the run still ends in success.
    {"endWithNothingToRepair", [](auto& s) { notify(s, 0, 8); }, 100, "Finishing...", State::Done, {""}},
};

TEST(Reports, MoveTheBarOrEndTheRun) {
    Harness h;
    const QString disk = h.attach(QStringLiteral("256G"));
    for (const ReportRow& row : kReportRows) {
        SCOPED_TRACE(row.name);
        const qsizetype before = h.results.size();
        if (h.screen->runState() != State::Cloning) {
            ASSERT_TRUE(h.waitForEngine());
            h.startHeld(disk);
        }
        row.play(*h.screen);
        ASSERT_TRUE(waitFor([&] { return h.screen->runState() != State::Repairing; }));
        EXPECT_EQ(h.screen->progressValue(), row.bar);
        EXPECT_EQ(h.screen->pathLabel()->text(), row.status);
        EXPECT_EQ(h.screen->runState(), row.state);
        QStringList failures;
        for (const Result& result : h.results.mid(before)) {
            failures << (result.failed ? result.message : QString(""));
        }
        EXPECT_EQ(failures, row.failures);
        if (h.screen->runState() != State::Cloning) {
            KVBootable::KVShareInstance()->KVStop();  // a success leaves the held job to stop
        }
    }
}

// A stop confirmed in a question that the run's end has overtaken changes nothing. The question runs
// modally, so the run's end is played from a timer inside it.
TEST(StopQuestion, ClosesWithTheRunAndIsIgnoredAfterIt) {
    Harness h;
    h.startHeld(h.attach(QStringLiteral("256G")));
    bool closedWithTheRun = false;
    QTimer end;
    QObject::connect(&end, &QTimer::timeout, [&] {
        MakeSureCancelCloneSystemVC* question = h.screen->cancelWC();
        if (question == nullptr || !isRunning(question->window())) {
            return;
        }
        end.stop();
        notify(*h.screen, -4, 3);
        closedWithTheRun = !question->window()->isVisible();
        question->cancelButtonAction();
    });
    end.start(10);
    click(h.screen->cancelButton());
    EXPECT_TRUE(closedWithTheRun);
    EXPECT_TRUE(h.waitForEnd());
    ASSERT_EQ(h.results.size(), 1);
    EXPECT_EQ(h.results[0].message, kErase);
}

}  // namespace
