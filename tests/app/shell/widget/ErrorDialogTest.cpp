#include "tests/support/TestEnv.h"
#include "tests/support/shell/ShellTestSupport.h"

#include "app/ErrorWindowController.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `whileModal` once the dialog's modal run has started, then shows the error as a screen does; true
// when the run ended and the caller went on.
bool showErrorAnd(std::unique_ptr<ErrorWindowController>& errorWC, const QString& message,
                  const std::function<void(ErrorWindowController&)>& whileModal) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = kit::ModalRun::isRunning(errorWC->window());
        whileModal(*errorWC);
    });
    ErrorWindowController::showError(errorWC, message);
    return ran;
}

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// A key pressed in the dialog, the active window as it is on a desktop.
void pressKey(ErrorWindowController& dialog, Qt::Key key) {
    QApplication::setActiveWindow(dialog.window());
    QTest::keyClick(dialog.window(), key);
}

struct CloseWay {
    const char* name;
    std::function<void(ErrorWindowController&)> close;
};

class ErrorDialogClosing : public ::testing::TestWithParam<CloseWay> {};

}  // namespace

TEST(ErrorDialog, ShowsTheCallersTextAndADoneButton) {
    ErrorWindowController dialog;
    TCImageWindow* window = dialog.window();
    dialog.changeErrorLabelStr("The source and the destination cannot be the same volume.");
    EXPECT_EQ(dialog.errorLabel()->text(), "The source and the destination cannot be the same volume.");
    EXPECT_EQ(dialog.okButton()->textField()->text(), "Done");
    EXPECT_TRUE(dialog.okButton()->isUsable());
    EXPECT_EQ(dialog.okButton()->normalImage().name(), "btn_sec");
    EXPECT_EQ(dialog.okButton()->activeImage().name(), "btn_sec_press");
    EXPECT_EQ(dialog.okButton()->hoverImage().name(), "btn_sec_hover");
    EXPECT_EQ(dialog.okButton()->disableImage().name(), "btn_sec_disable");
    EXPECT_FALSE(dialog.okButton()->normalImage().isNull());
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground)) << "a clear window";
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    shelltest::saveScreenshot(window, "error-dialog");
}

TEST(ErrorDialog, LongTextWrapsInsideTheLabelAndTheDialogKeepsItsSize) {
    ErrorWindowController dialog;
    TCImageWindow* window = dialog.window();
    const QSize size = window->size();
    const QRect label = dialog.errorLabel()->geometry();
    dialog.changeErrorLabelStr(
        "There is not enough free space on the destination volume for the files you chose. Choose fewer "
        "files "
        "or another destination, then try again.");
    EXPECT_TRUE(dialog.errorLabel()->wordWrap());
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(dialog.errorLabel()->geometry(), label);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    shelltest::saveScreenshot(window, "error-dialog-long-text");

    dialog.changeErrorLabelStr(QString());
    EXPECT_TRUE(dialog.errorLabel()->text().isEmpty()) << "an empty text leaves the label empty";
}

TEST_P(ErrorDialogClosing, EndsTheModalRunAndTheCallerGoesOn) {
    std::unique_ptr<ErrorWindowController> errorWC;
    const bool ranModally = showErrorAnd(errorWC, "Please choose a destination.", GetParam().close);
    EXPECT_TRUE(ranModally);
    ASSERT_TRUE(errorWC) << "the screen keeps the closed dialog until its next error";
    EXPECT_FALSE(errorWC->window()->isVisible());
    EXPECT_FALSE(kit::ModalRun::isRunning(errorWC->window()));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ErrorDialogClosing,
    ::testing::Values(CloseWay{"Done", [](ErrorWindowController& d) { click(d.okButton()); }},
                      CloseWay{"CloseButton",
                               [](ErrorWindowController& d) { click(d.window()->standardWindowButton(0)); }},
                      CloseWay{"WindowClosed", [](ErrorWindowController& d) { d.window()->close(); }},
                      CloseWay{"Escape", [](ErrorWindowController& d) { pressKey(d, Qt::Key_Escape); }},
                      CloseWay{"Return", [](ErrorWindowController& d) { pressKey(d, Qt::Key_Return); }},
                      CloseWay{"CloseTwice",
                               [](ErrorWindowController& d) {
                                   d.closeWindow();
                                   d.okButtonAction();
                               }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ErrorDialog, ASecondErrorReleasesTheFirstDialogBeforeMakingItsOwn) {
    std::unique_ptr<ErrorWindowController> errorWC;
    showErrorAnd(errorWC, "first", [](ErrorWindowController& d) { click(d.okButton()); });
    QPointer<QWidget> first = errorWC->window();
    int dialogsDuringSecond = -1;
    showErrorAnd(errorWC, "second", [&](ErrorWindowController& d) {
        EXPECT_TRUE(first.isNull()) << "the first dialog is gone before the second shows";
        EXPECT_EQ(d.errorLabel()->text(), "second");
        dialogsDuringSecond = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            dialogsDuringSecond += window->isVisible() && dynamic_cast<TCImageWindow*>(window) ? 1 : 0;
        }
        click(d.okButton());
    });
    EXPECT_EQ(dialogsDuringSecond, 1);
}

TEST(ErrorDialog, TimersKeepFiringWhileTheDialogIsModal) {
    std::unique_ptr<ErrorWindowController> errorWC;
    int ticks = 0;
    bool closedByTimer = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        // Only ticks that arrive during the modal run can close the dialog.
        if (errorWC && kit::ModalRun::isRunning(errorWC->window()) && ++ticks == 5) {
            closedByTimer = true;
            click(errorWC->okButton());
        }
    });
    timer.start(5);
    showErrorAnd(errorWC, "wait", [&](ErrorWindowController& d) {
        QTimer::singleShot(10000, d.okButton(), [&] { d.closeWindow(); });  // a way out if ticks stop
    });
    EXPECT_TRUE(closedByTimer);
    EXPECT_EQ(ticks, 5);
}

TEST(ErrorDialog, IsCentredOnTheScreen) {
    std::unique_ptr<ErrorWindowController> errorWC;
    QRect frame;
    bool zoom = true;
    bool miniaturize = true;
    showErrorAnd(errorWC, "centred", [&](ErrorWindowController& d) {
        frame = d.window()->geometry();
        // A modal dialog of a fixed layout: no minimise, no zoom, and its size stays.
        zoom = d.window()->standardWindowButton(2)->isEnabled();
        miniaturize = d.window()->standardWindowButton(1)->isEnabled();
        d.window()->performZoom();
        d.closeWindow();
    });
    EXPECT_FALSE(zoom);
    EXPECT_FALSE(miniaturize);
    EXPECT_EQ(errorWC->window()->geometry(), frame);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(frame, kit::centeredFrame(available, frame.size()));
}

TEST(CenterWindow, LeavesAThirdOfTheFreeHeightAboveAndCentresAcross) {
    EXPECT_EQ(kit::centeredFrame({0, 0, 1280, 800}, {888, 583}), QRect(196, 72, 888, 583));
    EXPECT_EQ(kit::centeredFrame({100, 30, 1000, 700}, {400, 100}), QRect(400, 230, 400, 100));
    EXPECT_EQ(kit::centeredFrame({0, 0, 800, 500}, {888, 583}), QRect(0, 0, 888, 583))
        << "too large: top left";
}
