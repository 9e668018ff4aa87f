#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/PAAttachedWindow.h"
#include "ui-kit/windows/RPAAttachedWindow.h"
#include "ui-kit/windows/StatusAttachedWindow.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <limits>

#include <memory>

namespace {

// A hosted view as a screen's view controller owns it: by its own pointer, not by the window.
std::unique_ptr<QWidget> makeView(QSize size = {100, 40}) {
    auto view = std::make_unique<QWidget>();
    view->resize(size);
    return view;
}

// The window's frame as Qt placed it, read back in Cocoa screen coordinates.
QRectF placedFrame(const QWidget& window) {
    return kit::cocoaRect(QRectF(window.geometry()), kit::primaryScreenHeight());
}

struct RecordingRPADelegate : RPAAttachedWindowDelegate {
    void closeMattachedWindow() override { ++closes; }
    int closes = 0;
};

struct RecordingStatusDelegate : StatusAttachedWindowDelegate {
    void isHiddenWindow() override { ++hidden; }
    void mouseInWindow(bool inside) override { moves.push_back(inside); }
    int hidden = 0;
    std::vector<bool> moves;
};

// Makes `window` the active window, then another one, so that `window` stops being key.
void takeKeyAway(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QWidget other;
    other.resize(50, 50);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
}

// --- the three classes' defaults and placement -----------------------------------------------------------

TEST(AttachedWindow, TheChooserWindowAroundAViewAboveItsPoint) {
    auto view = makeView();
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0.8f);
    ASSERT_TRUE(window);
    EXPECT_EQ(placedFrame(*window), QRectF(248, 200, 104, 44));
    EXPECT_EQ(window->viewFrame(), QRectF(2, 2, 100, 40));
    EXPECT_EQ(view->parentWidget(), window.get());
    EXPECT_EQ(view->geometry(), QRect(2, 2, 100, 40)) << "the view in Qt's coordinates";
    EXPECT_EQ(window->cornerRadius(), 6);
    EXPECT_EQ(window->borderWidth(), 1);
    EXPECT_EQ(window->hasArrow(), 1.0f);
    EXPECT_EQ(window->arrowBaseWidth(), 0);
    EXPECT_EQ(window->arrowHeight(), 0);
    EXPECT_EQ(window->windowBackgroundColor().color(),
              QColor::fromRgbF(238 / 255.0f, 244 / 255.0f, 254 / 255.0f, 0.97f));
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
}

TEST(AttachedWindow, TheDialogWindowKeepsArrowRoomAndItsRadiusUntilAskedToClamp) {
    auto view = makeView();
    auto window =
        StatusAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0);
    ASSERT_TRUE(window);
    EXPECT_EQ(placedFrame(*window), QRectF(248, 200, 104, 54));
    EXPECT_EQ(window->viewFrame(), QRectF(2, 12, 100, 40));
    EXPECT_EQ(window->hasArrow(), 0.0f);
    EXPECT_EQ(window->cornerRadius(), 16) << "the initialiser does not clamp";

    window->setCornerRadius(16);
    EXPECT_EQ(window->cornerRadius(), 14.5f);
    EXPECT_EQ(window->arrowBaseWidth(), 15.0f);
}

TEST(AttachedWindow, WithoutABlurTheDialogIsOpaqueWithAVisibleEdge) {
    ASSERT_FALSE(StatusAttachedWindow::canBlurBackground());
    static int version = 0;
    for (const int tried : {0, 1009, 1300}) {  // unknown, and before and after the blur came
        version = tried;
        StatusAttachedWindow::setSystemVersionFunction(tried ? +[] { return version; } : nullptr);
        auto view = makeView();
        view->setAttribute(Qt::WA_NoSystemBackground);
        auto window =
            StatusAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0);
        StatusAttachedWindow::setSystemVersionFunction(nullptr);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->windowOpacity(), 1.0) << version;
        EXPECT_EQ(window->windowBackgroundColor().color().alpha(), 255) << version;
        EXPECT_EQ(window->borderColor(), getColor(196, 202, 216, 1)) << version;
        view->hide();  // the body alone
        const QImage image = window->grab().toImage();
        EXPECT_EQ(kittest::pixel(image, 52, 20), QColor(Qt::white)) << "the body, opaque";
        EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 1, 22), getColor(196, 202, 216, 1), 2))
            << "the edge";
    }
}

TEST(AttachedWindow, ThePlainWindowsDefaults) {
    auto view = makeView();
    auto window = PAAttachedWindow::initWithView(view.get(), {300, 200}, AttachedWindowSideBelow);
    ASSERT_TRUE(window);
    EXPECT_EQ(placedFrame(*window), QRectF(248, 156, 104, 44));
    EXPECT_EQ(window->cornerRadius(), 8);
    EXPECT_EQ(window->borderWidth(), 0.2f);
    EXPECT_EQ(window->windowBackgroundColor().color(), QColor(Qt::white));
}

TEST(AttachedWindow, NoViewNoWindow) {
    EXPECT_FALSE(RPAAttachedWindow::initWithView(nullptr, {0, 0}, nullptr, AttachedWindowSideAbove, 0, 0));
    EXPECT_FALSE(StatusAttachedWindow::initWithView(nullptr, {0, 0}));
    EXPECT_FALSE(PAAttachedWindow::initWithView(nullptr, {0, 0}, 5.0f));
}

TEST(AttachedWindow, AnAnchorInAParentWindowIsTakenFromThatWindowsOrigin) {
    QWidget parent;
    parent.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    parent.setGeometry(100, 100, 400, 300);
    const QRectF parentFrame = placedFrame(parent);
    auto view = makeView();
    // The format dialog's type menu: (237, -15) in its window, above the point.
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {237, -15}, &parent, AttachedWindowSideAbove, 0, 0.8f);
    ASSERT_TRUE(window);
    EXPECT_EQ(placedFrame(*window), QRectF(parentFrame.x() + 237 - 52, parentFrame.y() - 15, 104, 44));
}

TEST(AttachedWindow, TheAutomaticSideKeepsTheWindowOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRectF visible = kit::cocoaRect(QRectF(screen), kit::primaryScreenHeight());
    auto view = makeView({160, 90});
    for (const QPointF& corner :
         {visible.topLeft() + QPointF(12, 12), visible.bottomRight() - QPointF(12, 12),
          QPointF(visible.right() - 12, visible.top() + 12), visible.center()}) {
        auto window = RPAAttachedWindow::initWithView(view.get(), corner, AttachedWindowSideAutomatic);
        ASSERT_TRUE(window);
        EXPECT_NE(window->side(), AttachedWindowSideAutomatic);
        EXPECT_TRUE(screen.contains(window->geometry()))
            << "side " << window->side() << " at " << corner.x() << "," << corner.y();
    }
}

TEST(AttachedWindow, ReanchoringTakesTheSideAsGiven) {
    auto view = makeView();
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0);
    window->setPoint({100, 100}, AttachedWindowSideRight);
    EXPECT_EQ(placedFrame(*window), QRectF(100, 78, 104, 44));
    window->setPoint({50, 60}, AttachedWindowSideAutomatic);
    EXPECT_EQ(window->side(), AttachedWindowSideAutomatic) << "not chosen again";
    EXPECT_EQ(placedFrame(*window), QRectF(50, 60, 104, 44));
}

TEST(AttachedWindow, AForeignResizeIsLaidOutAgain) {
    auto view = makeView();
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0);
    window->show();
    window->resize(300, 300);
    EXPECT_EQ(placedFrame(*window), QRectF(248, 200, 104, 44));
}

// --- properties -------------------------------------------------------------------------------------------

TEST(AttachedWindow, SettersClampAndRepaintOnlyWhenSomethingChanged) {
    auto view = makeView();
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0);
    const auto patternKey = [&] { return window->backgroundColor().texture().cacheKey(); };

    window->setBorderWidth(5);
    EXPECT_EQ(window->borderWidth(), 2.0f) << "no wider than the margin";
    window->setBorderWidth(-1);
    EXPECT_EQ(window->borderWidth(), 0.0f);

    window->setCornerRadius(-4);
    EXPECT_EQ(window->cornerRadius(), 0.0f);

    const qint64 before = patternKey();
    window->setHasArrow(1.0f);
    EXPECT_EQ(patternKey(), before) << "the stored value again: not even a repaint";
    window->setBackgroundImage(QPixmap());
    EXPECT_EQ(patternKey(), before) << "a null image is ignored";
    window->setHasArrow(0.5f);
    EXPECT_EQ(window->hasArrow(), 0.0f) << "0.5 stores false";
    window->setHasArrow(-2.5f);
    EXPECT_EQ(window->hasArrow(), 1.0f) << "any value that truncates to a non-zero integer stores true";
    window->setHasArrow(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(window->hasArrow(), 0.0f) << "NaN stores false";
    window->setHasArrow(1e30f);
    EXPECT_EQ(window->hasArrow(), 1.0f);
    window->setHasArrow(0.0f);
    EXPECT_NE(patternKey(), before);

    window->setViewMargin(-3);
    EXPECT_EQ(window->viewMargin(), 0.0f);
    EXPECT_EQ(placedFrame(*window), QRectF(250, 200, 100, 40)) << "laid out again without a margin";
}

TEST(AttachedWindow, AViewTooSmallForTheCornersGetsNoNegativeArrow) {
    auto view = makeView({4, 4});
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideBelowLeft, 0, 0);
    window->setArrowHeight(10);
    window->setArrowBaseWidth(15);
    EXPECT_EQ(window->arrowBaseWidth(), 0.0f) << "4 + 4 - 6 - 6 is below zero: no arrow base at all";
    window->setCornerRadius(6);
    EXPECT_EQ(window->cornerRadius(), 4.0f);
    EXPECT_EQ(window->arrowBaseWidth(), 0.0f);
    const QRectF body = kit::attached::backgroundPath(window->viewFrame(), AttachedWindowSideBelowLeft,
                                                      {2, 0, 10, 4, true, true}, 1)
                            .boundingRect();
    EXPECT_TRUE(QRectF(QPointF(0, 0), window->cocoaFrame().size()).contains(body));
}

TEST(AttachedWindow, APatternImageBecomesTheFill) {
    auto view = makeView();
    auto window = PAAttachedWindow::initWithView(view.get(), {300, 200}, AttachedWindowSideAbove);
    QPixmap tile(4, 4);
    tile.fill(Qt::red);
    window->setBackgroundImage(tile);
    EXPECT_EQ(window->windowBackgroundColor().style(), Qt::TexturePattern);
    const QImage image = kittest::render(window.get());
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 52, 22), Qt::red, 3));
}

// Sampled pixels of a chooser window given a 15 x 10 arrow on its bottom edge (above its point).
TEST(AttachedWindow, BodyBorderAndArrowPixels) {
    auto view = makeView();
    view->setAttribute(Qt::WA_NoSystemBackground);
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0);
    window->setArrowHeight(10);
    window->setArrowBaseWidth(15);
    view->hide();  // the body alone
    ASSERT_EQ(window->size(), QSize(104, 54));
    const QImage image = window->grab().toImage();
    const QColor fill = QColor::fromRgbF(238 / 255.0f, 244 / 255.0f, 254 / 255.0f, 0.97f);
    const QColor border(184, 196, 255);
    // Qt rows: the body spans Cocoa y 11..53, that is Qt y 1..43; the arrow below it, tip at Qt y 53.
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 52, 20), fill, 2)) << "body";
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 1, 20), border, 2))
        << "left border, inside the body";
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 52, 1), border, 2)) << "top border";
    EXPECT_EQ(kittest::pixel(image, 0, 20).alpha(), 0) << "outside the body";
    EXPECT_EQ(kittest::pixel(image, 0, 0).alpha(), 0) << "the rounded corner";
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 52, 46), fill, 2)) << "inside the arrow";
    EXPECT_GT(kittest::pixel(image, 52, 51).alpha(), 100) << "near the tip, within the border";
    EXPECT_EQ(kittest::pixel(image, 30, 48).alpha(), 0) << "beside the arrow: the strip stays clear";
    EXPECT_EQ(kittest::pixel(image, 52, 53).alpha(), 0) << "beyond the tip";
}

// --- lifetime --------------------------------------------------------------------------------------------

// An owner that holds its attached window and would crash if it were called while being destroyed.
struct Owner : RPAAttachedWindowDelegate {
    Owner() : view(makeView()) {
        window =
            RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0);
        window->setMattachedWDelegate(this);
    }
    ~Owner() override { alive = false; }
    void closeMattachedWindow() override { EXPECT_TRUE(alive) << "called back while being destroyed"; }
    bool alive = true;
    std::unique_ptr<QWidget> view;
    std::unique_ptr<RPAAttachedWindow> window;  // destroyed first, while the owner is half gone
};

TEST(AttachedWindow, AnOwnerDestroyedWithItsShownWindowIsNotCalledBack) {
    auto owner = std::make_unique<Owner>();
    owner->window->show();
    owner->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(owner->window.get()));
    owner.reset();  // the window goes while shown and key, then the view, once, through its owner
}

TEST(AttachedWindow, DestroyedWhileShownItGivesTheViewBack) {
    auto view = makeView();
    auto window = StatusAttachedWindow::initWithView(view.get(), {300, 200});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window.reset();
    EXPECT_EQ(view->parentWidget(), nullptr) << "the view is its owner's";
    EXPECT_FALSE(view->isVisible());
}

TEST(AttachedWindow, AViewDestroyedFirstLeavesAWorkingWindow) {
    auto view = makeView();
    auto window =
        StatusAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideBelow, 5);
    window->show();
    view.reset();
    EXPECT_EQ(window->view(), nullptr);
    window->setPoint({320, 220}, AttachedWindowSideBelow);
    EXPECT_EQ(placedFrame(*window), QRectF(268, 161, 104, 54)) << "laid out with the view's last size";
    window.reset();
}

TEST(AttachedWindow, AParentWindowThatGoesCountsAsNone) {
    auto parent = std::make_unique<QWidget>();
    parent->setGeometry(100, 100, 400, 300);
    auto view = makeView();
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {237, -15}, parent.get(), AttachedWindowSideAbove, 0, 0);
    parent.reset();
    EXPECT_EQ(window->parentWindow(), nullptr);
    window->setPoint({300, 200}, AttachedWindowSideAbove);
    EXPECT_EQ(placedFrame(*window), QRectF(248, 200, 104, 44));
    window->performClose();  // no parent to close: refused, nothing happens
}

TEST(AttachedWindow, TheCloseCommandClosesTheParentWindow) {
    QWidget parent;
    parent.show();
    auto view = makeView();
    auto window =
        RPAAttachedWindow::initWithView(view.get(), {10, 10}, &parent, AttachedWindowSideAbove, 0, 0);
    window->show();
    window->performClose();
    EXPECT_FALSE(parent.isVisible());
}

// --- notices ---------------------------------------------------------------------------------------------

TEST(AttachedWindow, LosingTheKeyWindowTellsTheDelegateButClosesNothing) {
    auto view = makeView();
    RecordingRPADelegate chooser;
    auto rpa =
        RPAAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0);
    rpa->setMattachedWDelegate(&chooser);
    takeKeyAway(rpa.get());
    EXPECT_EQ(chooser.closes, 1);
    EXPECT_TRUE(rpa->isVisible());
    rpa.reset();

    auto statusView = makeView();
    RecordingStatusDelegate dialog;
    auto status = StatusAttachedWindow::initWithView(statusView.get(), {300, 200});
    status->setMattachedWDelegate(&dialog);
    takeKeyAway(status.get());
    EXPECT_EQ(dialog.hidden, 1);
    EXPECT_TRUE(status->isVisible());

    // Without a delegate nothing is sent, and the plain window has none to send to.
    status->setMattachedWDelegate(nullptr);
    takeKeyAway(status.get());
    EXPECT_EQ(dialog.hidden, 1);
}

TEST(AttachedWindow, TheDialogTellsWhenThePointerEntersAndLeaves) {
    auto view = makeView();
    RecordingStatusDelegate dialog;
    auto window =
        StatusAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0);
    window->setMattachedWDelegate(&dialog);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    kittest::hover(window.get(), true);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(window.get(), &leave);
    EXPECT_EQ(dialog.moves, (std::vector<bool>{true, false}));
}

// --- modal runs ------------------------------------------------------------------------------------------

TEST(AttachedWindow, ClosingTheDialogReturnsFromItsModalRun) {
    auto view = makeView();
    auto window =
        StatusAttachedWindow::initWithView(view.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0);
    window->center();
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(window.get()), kit::ModalRun::kResponseStop);
    EXPECT_FALSE(window->isVisible());
}

TEST(AttachedWindow, ADialogOpenedFromADialogStopsOnlyItsOwnRun) {
    auto outerView = makeView();
    auto innerView = makeView();
    auto outer =
        StatusAttachedWindow::initWithView(outerView.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0);
    auto inner =
        StatusAttachedWindow::initWithView(innerView.get(), {300, 300}, nullptr, AttachedWindowSideBelow, 5);
    bool outerRanOn = false;
    QTimer::singleShot(0, outer.get(), [&] {
        QTimer::singleShot(0, inner.get(), [&] { inner->close(); });
        EXPECT_EQ(kit::ModalRun::runModalForWindow(inner.get()), kit::ModalRun::kResponseStop);
        outerRanOn = kit::ModalRun::isRunning(outer.get()) && outer->isVisible();
        outer->close();
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(outer.get()), kit::ModalRun::kResponseStop);
    EXPECT_TRUE(outerRanOn) << "closing the inner dialog ended the outer run too";
}

TEST(AttachedWindow, ADialogDestroyedDuringItsRunEndsTheRun) {
    auto view = makeView();
    auto window = StatusAttachedWindow::initWithView(view.get(), {300, 200});
    RecordingStatusDelegate dialog;
    window->setMattachedWDelegate(&dialog);
    QTimer::singleShot(0, [&] { window.reset(); });
    kit::ModalRun::runModalForWindow(window.get());
    EXPECT_FALSE(window);
    EXPECT_EQ(dialog.hidden, 0);
    EXPECT_TRUE(view) << "still its owner's";
}

}  // namespace
