#include "tests/support/TestEnv.h"
#include "tests/support/shell/ShellTestSupport.h"

#include "app/bootable/SelectDrivceViewController.h"
#include "app/copy/DiskCopyViewController.h"
#include "app/disk-tool/RepairDiskViewController.h"
#include "app/image/DmgViewController.h"
#include "app/shell/MainWindowController.h"
#include "platform/UserDefaults.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/MainTipBgView.h"
#include "ui-kit/controls/LeftButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPropertyAnimation>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

using platform::UserDefaults;

QRectF cocoaFrame(const QWidget* view) {
    return kit::cocoaRect(QRectF(view->geometry()), view->parentWidget()->height());
}

struct Tab {
    const char* name;
    LeftButton* (MainWindowController::*button)() const;
    QWidget* (MainWindowController::*container)() const;
    const char* text;
    QRectF frame;
};

const Tab kTabs[] = {
    {"CopyDisk",
     &MainWindowController::tab_diskclone,
     &MainWindowController::diskCopyView,
     "Copy Disk",
     {1, 349, 112, 86}},
    {"CloneOS",
     &MainWindowController::tab_cloneOS,
     &MainWindowController::cloneOSView,
     "Clone OS",
     {1, 270, 112, 86}},
    {"CreateDiskImage",
     &MainWindowController::tab_createImage,
     &MainWindowController::dmgView,
     "Create Disk Image",
     {1, 170, 112, 100}},
    {"DiskTool",
     &MainWindowController::tab_disktool,
     &MainWindowController::diskTool,
     "Disk Tool",
     {1, 82, 112, 86}},
};

class MainWindowTest : public ::testing::Test {
protected:
    // Each test has its own simulated Mac, so its user defaults start empty.
    testsupport::TempSimRoot sim;
    MainWindowController controller;

    TCImageWindow* show() {
        TCImageWindow* window = controller.window();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        return window;
    }
    // Which of the four tabs are selected and which containers show, in the order of kTabs.
    std::vector<bool> selectedTabs() const {
        std::vector<bool> selected;
        for (const Tab& tab : kTabs) {
            selected.push_back((controller.*tab.button)()->isAction());
        }
        return selected;
    }
    std::vector<bool> shownContainers() const {
        std::vector<bool> shown;
        for (const Tab& tab : kTabs) {
            shown.push_back(!(controller.*tab.container)()->isHidden());
        }
        return shown;
    }
};

class TabSwitching : public MainWindowTest, public ::testing::WithParamInterface<size_t> {};

}  // namespace

TEST_F(MainWindowTest, WindowHasTheTitleBarColumnAndFourScreensAtStart) {
    TCImageWindow* window = show();
    EXPECT_EQ(window->size(), QSize(888, 583));
    EXPECT_EQ(window->titleBarHeight(), 25);
    EXPECT_EQ(window->trafficLightButtonsLeftMargin(), 28);
    EXPECT_EQ(window->topButtonMoveUp(), -5);
    EXPECT_EQ(window->contentView()->size(), QSize(888, 558));
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground)) << "a clear window background";

    // The four screens exist from the start, each in its own container.
    EXPECT_EQ(controller.diskCopyVC()->parentWidget(), controller.diskCopyView());
    EXPECT_EQ(controller.cloneOSVC()->parentWidget(), controller.cloneOSView());
    EXPECT_EQ(controller.dmgVC()->parentWidget(), controller.dmgView());
    EXPECT_EQ(controller.repairDiskVC()->parentWidget(), controller.diskTool());
    for (const Tab& tab : kTabs) {
        LeftButton* button = (controller.*tab.button)();
        EXPECT_EQ(button->textField()->text(), tab.text);
        EXPECT_EQ(cocoaFrame(button), tab.frame) << tab.name;
        EXPECT_TRUE(button->isUsable()) << tab.name;
    }
    EXPECT_EQ(selectedTabs(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(shownContainers(), (std::vector<bool>{true, false, false, false}));

    // The title bar carries the "top" strip, 888 x 25 at its origin.
    const auto strips = window->titleBarView()->findChildren<QLabel*>();
    const bool hasTop = std::any_of(strips.begin(), strips.end(), [](QLabel* label) {
        return label->geometry() == QRect(0, 0, 888, 25) && !label->pixmap().isNull();
    });
    EXPECT_TRUE(hasTop);
    shelltest::saveScreenshot(window, "main-window-copy-disk");
}

TEST_P(TabSwitching, EachTabShowsExactlyItsOwnScreen) {
    TCImageWindow* window = show();
    const std::vector<QWidget*> screens{controller.diskCopyVC(), controller.cloneOSVC(), controller.dmgVC(),
                                        controller.repairDiskVC()};
    const Tab& tab = kTabs[GetParam()];
    LeftButton* button = (controller.*tab.button)();
    // Twice: clicking the tab that is already selected changes nothing.
    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        std::vector<bool> expected(4, false);
        expected[GetParam()] = true;
        EXPECT_EQ(selectedTabs(), expected) << tab.name << " click " << click;
        EXPECT_EQ(shownContainers(), expected) << tab.name << " click " << click;
        EXPECT_EQ((controller.*tab.container)()->isVisible(), true);
    }
    // Switching neither makes nor drops a screen.
    EXPECT_EQ((std::vector<QWidget*>{controller.diskCopyVC(), controller.cloneOSVC(), controller.dmgVC(),
                                     controller.repairDiskVC()}),
              screens);
    shelltest::saveScreenshot(window, QStringLiteral("main-window-tab-%1").arg(tab.name));
}

INSTANTIATE_TEST_SUITE_P(Tabs, TabSwitching, ::testing::Range<size_t>(0, 4),
                         [](const auto& row) { return std::string(kTabs[row.param].name); });

TEST_F(MainWindowTest, SwitchingBackAndForthKeepsOneScreenShown) {
    show();
    controller.TopDiskToolButtonAction();
    controller.cloneOSButtonAction();
    controller.TopDmgButtonAction();
    controller.TopCloneButtonAction();
    EXPECT_EQ(selectedTabs(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(shownContainers(), (std::vector<bool>{true, false, false, false}));
}

TEST_F(MainWindowTest, FirstStartStoresOpenAndKeepsTheLaidOutPanel) {
    ASSERT_FALSE(UserDefaults::objectForKey("MainTipOpened").isValid());
    show();
    EXPECT_EQ(UserDefaults::objectForKey("MainTipOpened").toString(), "Open");
    EXPECT_EQ(controller.animatedViewFrame(), MainWindowController::kTipOpenFrame);
    EXPECT_TRUE(controller.tipBut()->isUsable());
    EXPECT_TRUE(controller.animatedView()->isVisible());
}

TEST_F(MainWindowTest, ClosedPanelOpensOverOneSecondWithItsRightEdgeFixed) {
    UserDefaults::setObject("Close", "MainTipOpened");
    show();
    const QRectF closed = controller.animatedViewFrame();
    EXPECT_EQ(closed, QRectF(855, MainWindowController::kTipOpenFrame.y(), 12, 24));
    EXPECT_TRUE(controller.animatedView()->isVisible()) << "a closed panel stays as a strip";

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(controller.tipBut(), Qt::LeftButton, {}, controller.tipBut()->rect().center());
    EXPECT_EQ(UserDefaults::objectForKey("MainTipOpened").toString(), "Open");
    // A look at the middle of the slide, which then goes on from where it was.
    auto* slide = controller.findChild<QPropertyAnimation*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(slide);
    slide->pause();
    const int was = slide->currentTime();
    slide->setCurrentTime(MainWindowController::kTipAnimationMs / 2);
    const QRectF halfway = controller.animatedViewFrame();
    slide->setCurrentTime(was);
    slide->resume();
    EXPECT_GT(halfway.width(), 12);
    EXPECT_LT(halfway.width(), 418);
    EXPECT_NEAR(halfway.right(), 867, 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return controller.animatedViewFrame().width() == 418; }, 3000));
    EXPECT_GE(clock.elapsed(), 900) << "the slide takes a second";
    EXPECT_EQ(controller.animatedViewFrame(), QRectF(449, closed.y(), 418, 24));
    shelltest::saveScreenshot(controller.window(), "main-window-tip-open");

    // And closes again the same way.
    controller.performShrinkAnimation();
    EXPECT_EQ(UserDefaults::objectForKey("MainTipOpened").toString(), "Close");
    ASSERT_TRUE(testsupport::waitUntil([&] { return controller.animatedViewFrame().width() == 12; }, 3000));
    EXPECT_EQ(controller.animatedViewFrame(), closed);
    shelltest::saveScreenshot(controller.window(), "main-window-tip-closed");
}

TEST_F(MainWindowTest, ToggleDuringASlideTurnsBackFromWhereThePanelIs) {
    show();
    controller.performShrinkAnimation();  // closing
    auto* slide = controller.findChild<QPropertyAnimation*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(slide);
    slide->setCurrentTime(MainWindowController::kTipAnimationMs * 3 / 10);
    const QRectF midway = controller.animatedViewFrame();
    ASSERT_LT(midway.width(), 418);
    controller.performShrinkAnimation();  // opening again from midway
    EXPECT_EQ(UserDefaults::objectForKey("MainTipOpened").toString(), "Open");
    ASSERT_TRUE(testsupport::waitUntil([&] { return controller.animatedViewFrame().width() == 418; }, 3000));
    EXPECT_EQ(controller.animatedViewFrame(), MainWindowController::kTipOpenFrame);
}

TEST(TipPanelGeometry, TargetFrameKeepsTheRightEdge) {
    EXPECT_EQ(MainWindowController::tipPanelFrame({855, 524, 12, 24}, 418), QRectF(449, 524, 418, 24));
    EXPECT_EQ(MainWindowController::tipPanelFrame({449, 524, 418, 24}, 12), QRectF(855, 524, 12, 24));
    EXPECT_EQ(MainWindowController::tipPanelFrame({600, 10, 267, 30}, 418), QRectF(449, 10, 418, 30));
}

TEST(MainTipDefault, TwoSimulatedMacsKeepTheirOwnState) {
    QString first;
    {
        testsupport::TempSimRoot sim;
        MainWindowController controller;
        controller.window();
        controller.performShrinkAnimation();
        EXPECT_EQ(UserDefaults::objectForKey("MainTipOpened").toString(), "Close");
        first = UserDefaults::domainFile(UserDefaults::applicationDomain);
    }
    testsupport::TempSimRoot other;
    EXPECT_NE(UserDefaults::domainFile(UserDefaults::applicationDomain), first);
    MainWindowController controller;
    controller.window();
    EXPECT_EQ(UserDefaults::objectForKey("MainTipOpened").toString(), "Open") << "a first start on this Mac";
    EXPECT_EQ(controller.animatedViewFrame(), MainWindowController::kTipOpenFrame);
}

TEST(MainWindowDeathTest, CloseButtonEndsTheProcessAtOnceWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The dying process runs this test again from the start: it takes the parent's simulated Mac, which the
    // parent removes (an exiting process removes nothing).
    constexpr const char* kShared = "APP_SHELL_DEATH_SIM_ROOT";
    std::optional<QTemporaryDir> folder;
    if (!qEnvironmentVariableIsSet(kShared)) {
        folder.emplace();
    }
    const testsupport::ScopedEnv shared(kShared, folder ? folder->path() : qEnvironmentVariable(kShared));
    const testsupport::ScopedEnv sim("TAVRUN_SIM_ROOT", qEnvironmentVariable(kShared));
    EXPECT_EXIT(
        {
            MainWindowController controller;
            TCImageWindow* window = controller.window();
            window->show();
            QAbstractButton* close = window->standardWindowButton(0);
            QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
            std::_Exit(3);  // not reached when the button ends the process
        },
        ::testing::ExitedWithCode(0), "");
}
