#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ChildWindows.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/QNPopoverControllerDelegate.h"
#include "ui-kit/windows/QNPopoverParentWindow.h"
#include "ui-kit/windows/QNPopoverWindow.h"
#include "ui-kit/windows/QNPopoverWindowFrame.h"
#include "ui-kit/windows/WindowFade.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QVariantAnimation>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// What the delegate was told, in order; `allowClose` is its answer to popoverShouldClose.
struct RecordingDelegate : QNPopoverControllerDelegate {
    bool popoverShouldClose(QNPopoverController* /*popover*/) override {
        calls << "shouldClose";
        return allowClose;
    }
    void popoverWillShow(QNPopoverController* /*popover*/) override { calls << "willShow"; }
    void popoverDidShow(QNPopoverController* /*popover*/) override { calls << "didShow"; }
    void popoverWillClose(QNPopoverController* /*popover*/) override { calls << "willClose"; }
    void popoverDidClose(QNPopoverController* /*popover*/) override { calls << "didClose"; }
    QStringList calls;
    bool allowClose = true;
};

// Whether `window` gets the key status itself (Qt counts a transient child of the key window as active too).
bool becomesKey(QWidget* window) {
    return testsupport::waitUntil([&] { return QApplication::activeWindow() == window; }, 5000);
}

// Focus leaving the application, as the window system reports it: a window that is none of the
// application's widget windows takes it.
struct AnotherApplication {
    AnotherApplication() {
        window.show();
        window.requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window) && !QApplication::activeWindow());
    }
    QWindow window;
};

// An animation as long as the pop, started now: when it has ended, so has a pop started before it, on the
// clock that runs both.
struct PopClock {
    PopClock() {
        run.setDuration(kit::WindowFade::kDefaultDurationMs);
        run.setStartValue(0);
        run.setEndValue(1);
        run.start();
    }
    bool waitEnd() {
        return testsupport::waitUntil([&] { return run.state() == QAbstractAnimation::Stopped; }, 5000);
    }
    QVariantAnimation run;
};

// A parent window with a disk button, a content view owned as a screen owns its picker, and a popover set
// up the way the screens set it up.
class Popover : public testing::Test {
protected:
    void SetUp() override {
        kit::WindowFade::setDurationForTesting(20);
        window.setGeometry(100, 100, 600, 400);
        button = new QPushButton(QStringLiteral("Disk"), &window);
        button->setGeometry(50, 50, 80, 24);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        content->resize(200, 100);
        popover = std::make_unique<QNPopoverController>(content.get());
        popover->setColor(getColor(66, 66, 88, 1));
        popover->setBorderColor(getColor(66, 66, 88, 1));
        popover->setBorderWidth(2);
        popover->setDelegate(&delegate);
    }
    void TearDown() override {
        popover.reset();
        kit::WindowFade::setDurationForTesting(0);
    }

    void present(bool animates = false, int direction = QNPopoverArrowDirectionLeft) {
        popover->setAnimates(animates);
        popover->presentPopoverFromRect(button->rect(), button, direction, true);
    }
    QNPopoverWindow* panel() const { return popover->popoverWindow(); }
    // The panel's expected frame beside the button, from the button's place on the screen.
    QRect expectedFrame(int direction) const {
        const QRectF anchor = kit::cocoaRect(
            QRectF(button->mapToGlobal(QPoint(0, 0)), QSizeF(button->size())), kit::primaryScreenHeight());
        return kit::cocoaRect(kit::popover::popoverFrame(anchor, {200, 100}, direction, 12),
                              kit::primaryScreenHeight())
            .toRect();
    }
    bool waitClosed() {
        return testsupport::waitUntil([&] { return !popover->popoverIsVisible(); }, 5000);
    }

    QWidget window;
    QPushButton* button = nullptr;
    std::unique_ptr<QWidget> content = std::make_unique<QWidget>();
    RecordingDelegate delegate;
    std::unique_ptr<QNPopoverController> popover;
};

// --- showing and closing ----------------------------------------------------------------------------------

TEST_F(Popover, ShowsBesideTheButtonAsAKeyChildWindowAndEscClosesAndResetsIt) {
    present();
    EXPECT_EQ(delegate.calls, QStringList({"willShow", "didShow"}));
    EXPECT_EQ(panel()->geometry(), expectedFrame(QNPopoverArrowDirectionLeft));
    EXPECT_EQ(content->parentWidget(), panel()->frameView());
    EXPECT_EQ(content->geometry(), QRect(12, 12, 200, 100));
    EXPECT_TRUE(kit::ChildWindows::childWindows(&window).contains(panel()));
    EXPECT_EQ(panel()->windowType(), Qt::Tool) << "not a popup, which would grab the pointer";
    ASSERT_TRUE(becomesKey(panel()));
    popover->presentPopoverFromRect(button->rect(), button, QNPopoverArrowDirectionRight, true);
    EXPECT_EQ(delegate.calls.size(), 2) << "presenting while shown is ignored";

    popover->setClosesWhenEscapeKeyPressed(false);
    QTest::keyClick(panel(), Qt::Key_Escape);
    EXPECT_TRUE(popover->popoverIsVisible()) << "Esc switched off";
    popover->setClosesWhenEscapeKeyPressed(true);
    QTest::keyClick(content.get(), Qt::Key_Escape);
    EXPECT_EQ(delegate.calls, QStringList({"willShow", "didShow", "shouldClose", "willClose", "didClose"}));
    EXPECT_FALSE(popover->popoverIsVisible());
    EXPECT_EQ(popover->arrowDirection(), QNPopoverArrowDirectionNone);
    EXPECT_EQ(popover->positionView(), nullptr);
    EXPECT_TRUE(popover->screenRect().isNull());
    EXPECT_FALSE(kit::ChildWindows::childWindows(&window).contains(panel()));
    EXPECT_TRUE(becomesKey(&window)) << "the key status goes back to the button's window";
    present();
    EXPECT_TRUE(popover->popoverIsVisible()) << "the same controller shows again";
}

TEST_F(Popover, ARefusingDelegateKeepsItOpenUntilForced) {
    delegate.allowClose = false;
    present();
    popover->closePopover();
    EXPECT_TRUE(popover->popoverIsVisible());
    popover->forceClosePopover();
    EXPECT_FALSE(popover->popoverIsVisible());
    EXPECT_EQ(delegate.calls, QStringList({"willShow", "didShow", "shouldClose", "willClose", "didClose"}));
}

// Where the key status goes, whether the popover closes when the application does, and whether it closes.
struct KeyLossCase {
    bool toAnotherApplication;
    bool closesWithTheApplication;
    bool closes;
};

class PopoverKeyLoss : public Popover, public testing::WithParamInterface<KeyLossCase> {};

TEST_P(PopoverKeyLoss, ClosesUnlessTheKeyStatusLeftTheApplication) {
    const KeyLossCase& c = GetParam();
    popover->setClosesWhenApplicationBecomesInactive(c.closesWithTheApplication);
    present();
    ASSERT_TRUE(becomesKey(panel()));
    std::optional<AnotherApplication> elsewhere;
    QWidget other;
    if (c.toAnotherApplication) {
        elsewhere.emplace();
    } else {
        other.setGeometry(700, 100, 100, 100);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(becomesKey(&other));
    }
    EXPECT_EQ(popover->popoverIsVisible(), !c.closes);
    EXPECT_NE(QApplication::activeWindow(), &window) << "the popover's window does not take the key status";
    if (!c.closes) {
        window.activateWindow();  // back in the application
        ASSERT_TRUE(becomesKey(&window));
        popover->applicationDidBecomeActive();
        EXPECT_TRUE(becomesKey(panel())) << "the popover is made key again";
    }
}

INSTANTIATE_TEST_SUITE_P(Popover, PopoverKeyLoss,
                         testing::Values(KeyLossCase{false, false, true}, KeyLossCase{true, false, false},
                                         KeyLossCase{true, true, true}));

// --- following the anchor ----------------------------------------------------------------------------------

TEST_F(Popover, FollowsItsAnchorAndClosesWithoutAskingWhenTheAnchorLeavesItsWindow) {
    delegate.allowClose = false;
    present();
    const QPoint before = panel()->pos();
    button->move(button->pos() + QPoint(30, 40));
    EXPECT_EQ(panel()->pos(), before + QPoint(30, 40));
    EXPECT_EQ(panel()->geometry(), expectedFrame(QNPopoverArrowDirectionLeft));
    button->move(590, 50);
    EXPECT_FALSE(popover->popoverIsVisible());
    EXPECT_FALSE(delegate.calls.contains("shouldClose"));
}

// The anchor destroyed alone, or with its window (which hides the popover with it first).
class AnchorGoing : public Popover, public testing::WithParamInterface<bool> {};

TEST_P(AnchorGoing, ClosesAndResetsThePopover) {
    auto parent = std::make_unique<QWidget>();
    parent->setGeometry(150, 150, 300, 200);
    auto* anchor = new QPushButton(parent.get());
    anchor->setGeometry(10, 10, 50, 20);
    parent->show();
    popover->setAnimates(false);
    popover->presentPopoverFromRect(anchor->rect(), anchor, QNPopoverArrowDirectionLeft, true);
    if (GetParam()) {
        parent.reset();
    } else {
        delete anchor;
    }
    EXPECT_TRUE(testsupport::waitUntil([&] { return delegate.calls.last() == "didClose"; }, 5000));
    EXPECT_FALSE(popover->popoverIsVisible());
    EXPECT_EQ(popover->positionView(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Popover, AnchorGoing, testing::Values(false, true));

// --- the controller going first ----------------------------------------------------------------------------

class ControllerGoing : public Popover, public testing::WithParamInterface<bool> {};

TEST_P(ControllerGoing, ClosesThePanelSilentlyAndHandsTheContentBack) {
    const bool animating = GetParam();
    present(animating);
    PopClock pop;
    QPointer<QNPopoverWindow> gonePanel = panel();
    QPointer<QWidget> zoom = panel()->zoomWindow();
    EXPECT_EQ(zoom.isNull(), !animating) << "the pop runs in its zoom window";
    const QStringList told = delegate.calls;
    popover.reset();
    EXPECT_TRUE(gonePanel.isNull());
    EXPECT_TRUE(testsupport::waitUntil([&] { return zoom.isNull(); }, 2000));
    ASSERT_TRUE(pop.waitEnd()) << "the pop's time did not pass";  // nothing of it may reach anyone
    EXPECT_EQ(delegate.calls, told);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->parentWidget(), nullptr);
    EXPECT_FALSE(content->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Popover, ControllerGoing, testing::Values(false, true));

// --- animations -------------------------------------------------------------------------------------------

struct AnimationCase {
    qint64 type;
    bool showsAtOnce;
    bool closesAtOnce;
};

class PopoverAnimation : public Popover, public testing::WithParamInterface<AnimationCase> {};

TEST_P(PopoverAnimation, ShowsAndClosesAsTheTypeSays) {
    const AnimationCase& c = GetParam();
    popover->setAnimationType(c.type);
    present(true);
    EXPECT_TRUE(popover->popoverIsVisible());
    EXPECT_EQ(delegate.calls.contains("didShow"), c.showsAtOnce);
    ASSERT_TRUE(testsupport::waitUntil([&] { return delegate.calls.contains("didShow"); }, 5000));
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->windowOpacity(), 1.0);
    EXPECT_EQ(panel()->zoomWindow(), nullptr);
    EXPECT_TRUE(kit::ChildWindows::childWindows(&window).contains(panel()));

    popover->closePopover();
    EXPECT_EQ(popover->popoverIsVisible(), !c.closesAtOnce);
    EXPECT_TRUE(waitClosed());
    EXPECT_EQ(delegate.calls.last(), "didClose");
}

INSTANTIATE_TEST_SUITE_P(Popover, PopoverAnimation,
                         testing::Values(AnimationCase{QNPopoverAnimationTypePop, false, false},
                                         AnimationCase{QNPopoverAnimationTypeFadeIn, false, true},
                                         AnimationCase{QNPopoverAnimationTypeFadeOut, true, false},
                                         AnimationCase{QNPopoverAnimationTypeFadeInOut, false, false}));

TEST_F(Popover, ClosedDuringItsPopItStaysClosed) {
    present(true);
    PopClock pop;
    ASSERT_NE(panel()->zoomWindow(), nullptr);
    popover->closePopover();
    EXPECT_TRUE(waitClosed());
    ASSERT_TRUE(pop.waitEnd()) << "the pop's time did not pass";
    EXPECT_FALSE(popover->popoverIsVisible());
    EXPECT_FALSE(delegate.calls.contains("didShow"));
}

// --- placement on the real screen and the look -------------------------------------------------------------

TEST_F(Popover, AtTheScreensRightEdgeItOpensToTheLeft) {
    const QRect screen = window.screen()->geometry();
    window.move(screen.right() - 140, 100);
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.x() == screen.right() - 140; }));
    present();
    EXPECT_EQ(popover->arrowDirection(), QNPopoverArrowDirectionRight);
    EXPECT_EQ(panel()->geometry(), expectedFrame(QNPopoverArrowDirectionRight));
    EXPECT_EQ(popover->popoverFrameWithSize({200, 100}, 2),
              kit::cocoaRect(QRectF(panel()->geometry()), kit::primaryScreenHeight()));
}

TEST_F(Popover, ANewContentOrContentSizeLaysThePanelOutAgain) {
    EXPECT_EQ(QNPopoverController().color(), QColor::fromRgbF(0.94f, 0.94f, 0.94f, 0.92f)) << "the set-up";
    present();
    popover->setContentSize({300, 150});
    EXPECT_EQ(panel()->size(), QSize(324, 174));
    EXPECT_EQ(content->size(), QSize(300, 150));

    auto other = std::make_unique<QWidget>();
    other->resize(150, 60);
    popover->setContectViewController(other.get());
    EXPECT_EQ(popover->contentSize(), QSizeF(150, 60));
    EXPECT_EQ(popover->contentView(), other.get());
    EXPECT_EQ(content->parentWidget(), nullptr) << "the old content leaves the panel";
}

TEST_F(Popover, AParentWindowStaysKeyBehindItsPopover) {
    QNPopoverParentWindow parent;
    parent.setGeometry(100, 100, 300, 200);
    auto* anchor = new QPushButton(&parent);
    anchor->setGeometry(10, 10, 50, 20);
    parent.show();
    popover->setAnimates(false);
    popover->presentPopoverFromRect(anchor->rect(), anchor, QNPopoverArrowDirectionLeft, true);
    ASSERT_TRUE(becomesKey(panel()));
    EXPECT_TRUE(parent.isKeyWindow());
    EXPECT_FALSE(parent.isReallyKeyWindow());
    const AnotherApplication elsewhere;
    EXPECT_FALSE(parent.isKeyWindow()) << "not while the application is inactive";
}

// --- the drawn body ---------------------------------------------------------------------------------------

// Three points in from the middle of each edge of a 224 x 124 panel: only the arrow's edge is painted there.
class ArrowTip : public testing::TestWithParam<int> {};

TEST_P(ArrowTip, IsPaintedOnlyOnItsOwnEdge) {
    const int direction = GetParam();
    QNPopoverWindowFrame frame;
    frame.resize(224, 124);
    frame.setColor(getColor(66, 66, 88, 1));
    frame.setBorderColor(getColor(66, 66, 88, 1));
    frame.setBorderWidth(2);
    frame.setArrowDirection(direction);
    const QImage image = kittest::render(&frame);
    const std::map<int, QPoint> nearEdge{{1, {3, 62}}, {2, {220, 62}}, {3, {112, 3}}, {4, {112, 120}}};
    for (const auto& [edge, at] : nearEdge) {
        const QColor color = kittest::pixel(image, at.x(), at.y());
        if (edge == direction) {
            EXPECT_TRUE(kittest::sameColor(color, Qt::white, 60)) << "edge " << edge;
        } else {
            EXPECT_EQ(color.alpha(), 0) << "edge " << edge;
        }
    }
    EXPECT_EQ(kittest::pixel(image, 112, 62), QColor(Qt::white)) << "white, whatever colour was passed";
    kittest::saveScreenshot(image, QStringLiteral("popover-arrow-%1").arg(direction));
}

INSTANTIATE_TEST_SUITE_P(Popover, ArrowTip, testing::Values(1, 2, 3, 4));

TEST(PopoverFrame, NoColourNoBodyAndAHighlightUnderTheTop) {
    QNPopoverWindowFrame frame;
    frame.resize(224, 124);
    frame.setColor(QColor());
    frame.setBorderWidth(1);
    frame.setTopHighlightColor(QColor(255, 0, 0));
    const QImage image = kittest::render(&frame);
    EXPECT_EQ(kittest::pixel(image, 112, 62).alpha(), 0);
    EXPECT_EQ(kittest::pixel(image, 60, 13), QColor(255, 0, 0)) << "the highlight at Cocoa y 110";
    EXPECT_EQ(kittest::pixel(image, 60, 14).alpha(), 0);
}

}  // namespace
