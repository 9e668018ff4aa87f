#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "platform/NotificationCenter.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/TCWindowButton.h"
#include "ui-kit/windows/TCWindowButtonGroup.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// How often a group was announced as changed.
struct GroupNotices {
    explicit GroupNotices(const QString& identifier)
        : token(platform::NotificationCenter::defaultCenter().addObserver(
              TCWindowButtonGroup::kDidUpdateRolloverStateNotification,
              [this, identifier](const QVariantMap& info) {
                  count +=
                      info.value(TCWindowButtonGroup::kGroupIdentifierKey).toString() == identifier ? 1 : 0;
              })) {}
    int count = 0;
    platform::NotificationCenter::Token token;
};

// --- the group ---------------------------------------------------------------------------------------------

TEST(TitleBarButtonGroup, OneGroupPerIdentifierTheDefaultForNone) {
    TCWindowButtonGroup* fallback = TCWindowButtonGroup::groupWithIdentifier();
    EXPECT_EQ(fallback, TCWindowButtonGroup::groupWithIdentifier(TCWindowButtonGroup::kDefaultIdentifier));
    EXPECT_EQ(fallback->identifier(), "com.Talvern.TCImageWindow.defaultWindowButtonGroup");
    TCWindowButtonGroup* one = TCWindowButtonGroup::groupWithIdentifier("one");
    EXPECT_NE(one, TCWindowButtonGroup::groupWithIdentifier("two"));
    EXPECT_EQ(one, TCWindowButtonGroup::groupWithIdentifier("one"));
}

struct CountCase {
    qint64 start;
    qint64 set;
    qint64 expected;
    bool announced;
};

class CaptureCount : public testing::TestWithParam<CountCase> {};

TEST_P(CaptureCount, ChangesAndIsAnnouncedOnlyForANewValueOfZeroOrMore) {
    const CountCase& c = GetParam();
    TCWindowButtonGroup group("counted");
    group.setNumberOfCaptures(c.start);
    const GroupNotices notices("counted");
    group.setNumberOfCaptures(c.set);
    EXPECT_EQ(group.numberOfCaptures(), c.expected);
    EXPECT_EQ(notices.count, c.announced ? 1 : 0);
    EXPECT_EQ(group.shouldDisplayRollOver(), c.expected > 0);
}

INSTANTIATE_TEST_SUITE_P(TitleBarButtonGroup, CaptureCount,
                         testing::Values(CountCase{0, -1, 0, false}, CountCase{0, 0, 0, false},
                                         CountCase{0, 2, 2, true}, CountCase{2, 2, 2, false},
                                         CountCase{2, 0, 0, true}, CountCase{2, -5, 2, false}));

TEST(TitleBarButtonGroup, EntersAndExitsAreAnnouncedAndTheCountNeverGoesBelowZero) {
    TCWindowButtonGroup group("paired");
    const GroupNotices notices("paired");
    group.didReleaseMousePointer();
    EXPECT_EQ(group.numberOfCaptures(), 0) << "an exit without its enter";
    EXPECT_EQ(notices.count, 0);
    group.didCaptureMousePointer();
    group.didCaptureMousePointer();
    EXPECT_EQ(group.numberOfCaptures(), 2);
    group.didReleaseMousePointer();
    EXPECT_EQ(group.numberOfCaptures(), 1);
    group.resetMouseCaptures();
    EXPECT_EQ(group.numberOfCaptures(), 0);
    EXPECT_EQ(notices.count, 4);
}

// --- the buttons -------------------------------------------------------------------------------------------

QPixmap solid(QColor color) {
    QPixmap image(14, 16);
    image.fill(color);
    return image;
}

const QColor kActive(255, 0, 0);
const QColor kNotKey(128, 128, 128);
const QColor kInactive(0, 0, 255);
const QColor kRollover(0, 255, 0);
const QColor kPressed(0, 0, 0);

// A window with a close and a minimise button of one group, 6 points apart.
class TitleBarButtons : public testing::Test {
protected:
    void SetUp() override {
        TCWindowButtonGroup::groupWithIdentifier(kGroup)->resetMouseCaptures();
        window.setGeometry(100, 100, 200, 100);
        for (TCWindowButton* button : {close, minimize}) {
            button->setActiveImage(solid(kActive));
            button->setActiveNotKeyWindowImage(solid(kNotKey));
            button->setInactiveImage(solid(kInactive));
            button->setRolloverImage(solid(kRollover));
            button->setPressedImage(solid(kPressed));
        }
        close->move(10, 10);
        minimize->move(30, 10);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    static QColor shown(TCWindowButton* button) { return kittest::pixel(kittest::render(button), 7, 8); }
    TCWindowButtonGroup* group() const { return TCWindowButtonGroup::groupWithIdentifier(kGroup); }
    void pointerAt(QPoint inWindow) {
        QTest::mouseMove(&window, inWindow);
        QCoreApplication::processEvents();
    }

    static constexpr const char* kGroup = "test.trafficLights";
    QWidget window;
    TCWindowButton* close = new TCWindowButton({14, 16}, kGroup, &window);
    TCWindowButton* minimize = new TCWindowButton({14, 16}, kGroup, &window);
};

TEST_F(TitleBarButtons, EachStateShowsItsImage) {
    EXPECT_EQ(shown(close), kActive);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(shown(close), kNotKey) << "the window is not key";
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(shown(close), kActive);

    group()->setNumberOfCaptures(1);
    EXPECT_EQ(shown(close), kRollover);
    EXPECT_EQ(shown(minimize), kRollover) << "the whole group rolls over";
    minimize->setEnabled(false);
    EXPECT_EQ(shown(minimize), kInactive) << "disabled under the pointer";
    minimize->updateRollOverImage();
    EXPECT_EQ(shown(minimize), kInactive);

    close->setDown(true);
    EXPECT_EQ(shown(close), kPressed);
}

TEST_F(TitleBarButtons, ThePointerOverOneButtonRollsOverTheGroupWithinFourPointsOfItsEdge) {
    pointerAt({150, 80});
    EXPECT_EQ(group()->numberOfCaptures(), 0);
    pointerAt({25, 18});  // a point right of the close button
    EXPECT_EQ(group()->numberOfCaptures(), 1);
    EXPECT_EQ(shown(close), kRollover);
    EXPECT_EQ(shown(minimize), kRollover) << "told through the group";
    pointerAt({27, 18});  // also 3 points left of the minimise button: inside both areas
    EXPECT_EQ(group()->numberOfCaptures(), 2);
    pointerAt({40, 18});
    EXPECT_EQ(group()->numberOfCaptures(), 1);
    pointerAt({48, 18});  // 4 points right of the minimise button
    EXPECT_EQ(group()->numberOfCaptures(), 1);
    pointerAt({49, 18});
    EXPECT_EQ(group()->numberOfCaptures(), 0);
    EXPECT_EQ(shown(close), kActive);
    EXPECT_EQ(shown(minimize), kActive);
    EXPECT_EQ(close->mouseTrackingArea(), QRectF(-4, -4, 22, 24));
}

TEST_F(TitleBarButtons, FullScreenHidesThemResetsTheCountAndLeavingShowsThem) {
    group()->setNumberOfCaptures(2);
    window.showFullScreen();
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.isFullScreen(); }));
    EXPECT_EQ(group()->numberOfCaptures(), 0);
    EXPECT_FALSE(close->isVisible());
    EXPECT_EQ(shown(close), kActive) << "the reset reached the buttons";
    window.showNormal();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !window.isFullScreen(); }));
    EXPECT_TRUE(close->isVisible());
    EXPECT_TRUE(minimize->isVisible());
}

TEST_F(TitleBarButtons, AButtonDestroyedUnderThePointerGivesBackItsCapture) {
    pointerAt({17, 18});
    ASSERT_EQ(group()->numberOfCaptures(), 1);
    delete close;
    EXPECT_EQ(group()->numberOfCaptures(), 0);
    EXPECT_EQ(shown(minimize), kActive);
}

TEST(TitleBarButton, TakesTheCloseButtonsPlaceInATitleBarWindowAndClosesIt) {
    TCImageWindow window({300, 100});
    auto button = TCWindowButton::windowButtonWithSize({14, 16}, QString());
    EXPECT_EQ(button->group(), TCWindowButtonGroup::groupWithIdentifier());
    TCWindowButton* close = button.get();
    window.setCloseButton(button.release());  // the window owns it
    window.show();
    EXPECT_EQ(close->window(), &window);
    EXPECT_FALSE(window.standardWindowButton(0)->isVisible());
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
