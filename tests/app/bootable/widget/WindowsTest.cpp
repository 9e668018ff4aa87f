#include "app/bootable/CloneSystemEndWindowController.h"
#include "app/bootable/FullDiskAccessViewController.h"
#include "app/bootable/MakeSureCancelCloneSystemVC.h"
#include "app/bootable/MakeSureCancelCloneSystemVCDelegate.h"
#include "app/bootable/MakeSureToCloneSystemVC.h"
#include "app/bootable/MakeSureToCloneSystemVCDelegate.h"
#include "app/copy/CopySorFWindowController.h"
#include "app/image/ZIPEndWinodwController.h"
#include "platform/PropertyList.h"
#include "platform/Workspace.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ImageButtonBase.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using kittest::click;

QString screenshot(QWidget* window, const QString& name) {
    return kittest::saveOnDesktop(window, name, QStringLiteral("bootable"));
}

// Every button is as wide as its drawn image, so that its title is centred on it, and every text fits the
// height of its label.
void expectFits(QWidget* window) {
    for (const auto* button : window->findChildren<kit::ImageButtonBase*>()) {
        EXPECT_EQ(button->width(), button->normalImage().size().width())
            << button->normalImage().name().toStdString();
    }
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << label->text().toStdString();
    }
}

// Runs the window modally and presses `button` (none: the press is made already) from inside the run; true
// when the run ended and the window is closed.
bool runAndPress(QWidget* window, const std::function<QAbstractButton*()>& button) {
    QTimer::singleShot(0, window, [&] {
        if (QAbstractButton* pressed = button()) {
            click(pressed);
        }
    });
    kit::ModalRun::runModalForWindow(window);
    return !window->isVisible() && !kit::ModalRun::isRunning(window);
}

// What the questions tell the screen; a start is noted with whether the question still showed.
struct Screen : MakeSureToCloneSystemVCDelegate, MakeSureCancelCloneSystemVCDelegate {
    void beginToCopySystem() override { begins << question->isVisible(); }
    void cancelToCopySystem() override { ++stops; }
    QWidget* question = nullptr;
    QList<bool> begins;
    int stops = 0;
};

enum class Press { Cancel, Done, CloseButton, Return, Escape };

struct QuestionRow {
    const char* name;
    bool stopQuestion;
    Press press;
    int begins;
    int stops;
};

void PrintTo(const QuestionRow& row, std::ostream* out) {
    *out << row.name;
}

class Question : public ::testing::TestWithParam<QuestionRow> {};

TEST_P(Question, ClosesAndTellsTheScreenOnlyWhatWasChosen) {
    const QuestionRow& row = GetParam();
    Screen screen;
    std::unique_ptr<sources::ConfirmWindow> question;
    if (row.stopQuestion) {
        auto stop = std::make_unique<MakeSureCancelCloneSystemVC>();
        stop->setDelegate(&screen);
        question = std::move(stop);
    } else {
        auto clone = std::make_unique<MakeSureToCloneSystemVC>();
        clone->setDelegate(&screen);
        question = std::move(clone);
    }
    screen.question = question->window();
    // The answer that leaves the disks alone is the default.
    EXPECT_EQ(question->cancelButton()->textField()->text(), "Cancel");
    EXPECT_EQ(question->cancelButton()->normalImage().name(), row.stopQuestion ? "btn_sec" : "btn_pri");
    EXPECT_EQ(question->doneButton()->textField()->text(), row.stopQuestion ? "Continue" : "Clone Now");
    EXPECT_EQ(question->doneButton()->normalImage().name(), row.stopQuestion ? "btn_pri" : "btn_sec");
    screenshot(question->window(), row.stopQuestion ? "question-stop" : "question-clone");
    expectFits(question->window());

    EXPECT_TRUE(runAndPress(question->window(), [&]() -> QAbstractButton* {
        switch (row.press) {
            case Press::Cancel:
                return question->cancelButton();
            case Press::Done:
                return question->doneButton();
            case Press::CloseButton:
                return question->window()->standardWindowButton(0);
            case Press::Return:
            case Press::Escape:
                QApplication::setActiveWindow(question->window());
                QTest::keyClick(question->window(),
                                row.press == Press::Return ? Qt::Key_Return : Qt::Key_Escape);
                break;
        }
        return nullptr;
    }));
    EXPECT_EQ(screen.begins, QList<bool>(row.begins, false)) << "a start comes after the question has closed";
    EXPECT_EQ(screen.stops, row.stops);
}

INSTANTIATE_TEST_SUITE_P(Clone, Question,
                         ::testing::Values(QuestionRow{"cloneCancel", false, Press::Cancel, 0, 0},
                                           QuestionRow{"cloneNow", false, Press::Done, 1, 0},
                                           QuestionRow{"cloneClosed", false, Press::CloseButton, 0, 0},
                                           QuestionRow{"cloneReturn", false, Press::Return, 0, 0},
                                           QuestionRow{"cloneEscape", false, Press::Escape, 0, 0},
                                           QuestionRow{"stopCancel", true, Press::Cancel, 0, 1},
                                           QuestionRow{"stopContinue", true, Press::Done, 0, 0},
                                           QuestionRow{"stopClosed", true, Press::CloseButton, 0, 0},
                                           QuestionRow{"stopReturn", true, Press::Return, 0, 0},
                                           QuestionRow{"stopEscape", true, Press::Escape, 0, 0}),
                         [](const auto& row) { return row.param.name; });

TEST(ResultWindow, ShowsTheChosenViewAndOpensTheFullDiskAccessPrompt) {
    testsupport::TempSimRoot root;
    CloneSystemEndWindowController result;
    kit::centerWindow(result.window());
    EXPECT_TRUE(result.failView()->isHidden() && result.sucView()->isHidden()) << "nothing chosen yet";
    EXPECT_EQ(result.failCancelButton()->textField()->text(), "Cancel");
    EXPECT_EQ(result.succCancelButton()->textField()->text(), "Done");
    EXPECT_EQ(result.checkFullButton()->textField()->text(), "Check");
    EXPECT_EQ(result.checkFullButton()->normalImage().name(), "btn_pri");

    result.showFaile(false);
    EXPECT_TRUE(result.sucView()->isVisibleTo(result.window()));
    EXPECT_FALSE(result.failView()->isVisibleTo(result.window()));
    result.errorLable()->setText(
        QStringLiteral("USB device unplugged, Please reconnect the device and try again."));
    result.showFaile(true);
    EXPECT_FALSE(result.sucView()->isVisibleTo(result.window()));
    EXPECT_TRUE(result.failView()->isVisibleTo(result.window()));
    result.errorLable()->setText(QStringLiteral(
        "An error occurred when erasing data. Please make sure that the device is not being used "
        "or you have enough permissions."));
    expectFits(result.window());

    // "Check" runs the prompt on top; its close button ends only the prompt.
    bool promptRan = false;
    QTimer::singleShot(0, result.window(), [&] {
        QTimer::singleShot(0, result.window(), [&] {
            FullDiskAccessViewController* prompt = result.fullDiskAccessWC();
            promptRan = prompt != nullptr && kit::ModalRun::isRunning(prompt->window());
            screenshot(prompt->window(), QStringLiteral("full-disk-access"));
            expectFits(prompt->window());
            click(prompt->window()->standardWindowButton(0));
        });
        click(result.checkFullButton());
        EXPECT_TRUE(kit::ModalRun::isRunning(result.window()));
        click(result.failCancelButton());
    });
    kit::ModalRun::runModalForWindow(result.window());
    EXPECT_TRUE(promptRan);
    EXPECT_FALSE(result.window()->isVisible());
}

// A failure names the job's reason on a line of its own below the message, in every result window.
struct ReasonRow {
    const char* name;
    std::function<std::unique_ptr<sources::ResultWindow>()> make;
    QString reason;
    bool elided;
};

void PrintTo(const ReasonRow& row, std::ostream* out) {
    *out << row.name;
}

class FailureReason : public ::testing::TestWithParam<ReasonRow> {};

TEST_P(FailureReason, StandsBelowTheMessageClearOfEverythingElse) {
    const ReasonRow& row = GetParam();
    const auto result = row.make();
    result->showFailure(QStringLiteral("Some files copy failed!"), row.reason);
    EXPECT_TRUE(result->failView()->isVisibleTo(result->window()) && result->sucView()->isHidden());
    EXPECT_EQ(result->messageLabel()->text(), "Some files copy failed!");
    const QLabel* reason = result->reasonLabel();
    EXPECT_EQ(reason->isVisibleTo(result->window()), !row.reason.isEmpty());
    EXPECT_EQ(reason->text() == row.reason, !row.elided);
    EXPECT_EQ(reason->text().contains(QChar(0x2026)), row.elided) << "a long reason is elided in the middle";
    EXPECT_EQ(
        !reason->toolTip().isEmpty() && reason->toolTip().contains(row.reason.section(QLatin1Char(' '), -1)),
        !row.reason.isEmpty())
        << "and whole in its tip";
    EXPECT_GE(reason->geometry().top(), result->messageLabel()->geometry().bottom());
    for (const QWidget* other : result->failView()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(other == reason || !other->geometry().intersects(reason->geometry()))
            << other->metaObject()->className();
    }
    expectFits(result->window());
    screenshot(result->window(), QStringLiteral("reason-") + row.name);
}

const QString kLongReason = QStringLiteral(
    "diskutil: Unable to unmount disk4s1 because a process still has "
    "files open on it: mds_stores, Finder and a shell in /Volumes/USB");

INSTANTIATE_TEST_SUITE_P(
    Results, FailureReason,
    ::testing::Values(
        ReasonRow{"copyWithout", [] { return std::make_unique<CopySorFWindowController>(); }, {}, false},
        ReasonRow{"copyShort", [] { return std::make_unique<CopySorFWindowController>(); },
                  QStringLiteral("Resource busy"), false},
        ReasonRow{"imageLong", [] { return std::make_unique<ZIPEndWinodwController>(); }, kLongReason, true},
        ReasonRow{"cloneShort", [] { return std::make_unique<CloneSystemEndWindowController>(); },
                  QStringLiteral("asr: Couldn't set up partitions"), false},
        ReasonRow{"cloneLong", [] { return std::make_unique<CloneSystemEndWindowController>(); }, kLongReason,
                  true}),
    [](const auto& row) { return std::string(row.param.name); });

// The prompt's button opens the privacy settings where the system has a Full Disk Access list.
struct SettingsRow {
    const char* version;
    QList<QUrl> opened;
};

void PrintTo(const SettingsRow& row, std::ostream* out) {
    *out << row.version;
}

class SettingsButton : public ::testing::TestWithParam<SettingsRow> {};

TEST_P(SettingsButton, OpensTheListWhereThereIsOneAndCloses) {
    testsupport::TempSimRoot root;
    root.writeFile(QStringLiteral("/System/Library/CoreServices/SystemVersion.plist"),
                   platform::PropertyList::toXml(QVariantMap{{"ProductVersion", GetParam().version}}));
    QList<QUrl> opened;
    platform::Workspace::setOpenURLForTesting([&](const QUrl& url) {
        opened << url;
        return true;
    });
    FullDiskAccessViewController prompt;
    EXPECT_TRUE(runAndPress(prompt.window(), [&] { return prompt.openButton(); }));
    platform::Workspace::setOpenURLForTesting({});
    EXPECT_EQ(opened, GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Clone, SettingsButton,
    ::testing::Values(SettingsRow{"10.13.6", {}},
                      SettingsRow{"10.14", {QUrl(FullDiskAccessViewController::kFullDiskAccessURL)}},
                      SettingsRow{"13.4", {QUrl(FullDiskAccessViewController::kFullDiskAccessURL)}}),
    [](const auto& row) { return QString::fromLatin1(row.param.version).remove('.').toStdString(); });

}  // namespace
