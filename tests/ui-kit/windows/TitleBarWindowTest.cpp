#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/windows/QNTitlebarContainer.h"
#include "ui-kit/windows/QNTitlebarView.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/TCImageWindowDelegateProxy.h"
#include "ui-kit/windows/WindowDelegate.h"

#include "platform/UserDefaults.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Settings = TCImageWindow::TrafficLightSettings;
const std::array<QSizeF, 3> kSystemSizes{kit::StandardWindowButton::kSize, kit::StandardWindowButton::kSize,
                                         kit::StandardWindowButton::kSize};

// The close, minimise and zoom frames of a window, in its Cocoa coordinates.
std::array<QRectF, 3> buttonFrames(const TCImageWindow& window) {
    std::array<QRectF, 3> frames;
    for (int kind = 0; kind < 3; ++kind) {
        frames[static_cast<size_t>(kind)] =
            kit::cocoaRect(QRectF(window.standardWindowButton(kind)->geometry()), window.height());
    }
    return frames;
}

QRectF contentFrame(const TCImageWindow& window) {
    return kit::cocoaRect(QRectF(window.contentView()->geometry()), window.height());
}

void sendMouse(QWidget* widget, QEvent::Type type, QPointF local, QPointF global, Qt::MouseButtons buttons) {
    QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Drags from `local` in `widget` by `delta`, as the pointer would.
void drag(QWidget* widget, QPointF local, QPoint delta) {
    const QPointF global = widget->mapToGlobal(local);
    sendMouse(widget, QEvent::MouseButtonPress, local, global, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseMove, local, global + delta, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, local, global + delta, Qt::NoButton);
}

// What a window system sends for a double click: press, release, press, double click, release.
void doubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

}  // namespace

// --- geometry from the pure functions
// ---------------------------------------------------------------------------

TEST(TitleBarGeometry, SystemValuesMeasuredOnce) {
    EXPECT_EQ(TCImageWindow::_minimumTitlebarHeight(), 22);
    EXPECT_EQ(TCImageWindow::_defaultTrafficLightLeftMargin(), 7);
    EXPECT_EQ(TCImageWindow::_defaultTrafficLightSeparation(), 6);
}

struct TitleBarRow {
    const char* screen;
    double height;
    double leftMargin;
    double moveUp;
    std::array<QPointF, 3> origins;  // in a frame 600 high
};

void PrintTo(const TitleBarRow& row, std::ostream* out) {
    *out << row.screen;
}

class ScreenTitleBars : public ::testing::TestWithParam<TitleBarRow> {};

TEST_P(ScreenTitleBars, PlaceTheButtonsFromTheScreensSettings) {
    const TitleBarRow& row = GetParam();
    const QRectF container = TCImageWindow::titleBarContainerFrame({888, 600}, row.height);
    EXPECT_EQ(container, QRectF(0, 600 - row.height, 888, row.height));
    const auto frames = TCImageWindow::trafficLightFrames(container, kSystemSizes,
                                                          Settings{row.leftMargin, 6, 3, row.moveUp});
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(frames[i], QRectF(row.origins[i], kit::StandardWindowButton::kSize)) << "button " << i;
    }
    EXPECT_EQ(TCImageWindow::contentViewFrame({888, 600}, row.height), QRectF(0, 0, 888, 600 - row.height));
}

// Centred: nearest(cy + h / 2 - 8), then moved up by moveUp (negative: down).
INSTANTIATE_TEST_SUITE_P(
    Table, ScreenTitleBars,
    ::testing::Values(
        TitleBarRow{"main window", 25, 28, -5, {{{28, 575}, {48, 575}, {68, 575}}}},
        TitleBarRow{"progress, About and update windows", 22, 15, -5, {{{15, 576}, {35, 576}, {55, 576}}}},
        TitleBarRow{"file-list window", 38, 10, 0, {{{10, 573}, {30, 573}, {50, 573}}}}));

TEST(TitleBarGeometry, UncentredRowsHangFromTheTopMargin) {
    const QRectF container(0, 578, 500, 22);
    const auto frames =
        TCImageWindow::trafficLightFrames(container, kSystemSizes, Settings{7, 6, 3, -2, false});
    EXPECT_EQ(frames[0].topLeft(), QPointF(7, 600 - 16 - 3 - 2));
}

TEST(TitleBarGeometry, AColumnStacksCloseMinimiseZoomAndIgnoresMoveUp) {
    const QRectF container(0, 500, 400, 100);
    const auto frames =
        TCImageWindow::trafficLightFrames(container, kSystemSizes, Settings{10, 6, 3, -40, true, true});
    // Stack: 3 x 16 + 2 x 4 = 56; bottom = nearest(500 + 50 - 28) = 522.
    EXPECT_EQ(frames[2].topLeft(), QPointF(10, 522));
    EXPECT_EQ(frames[1].topLeft(), QPointF(10, 542));
    EXPECT_EQ(frames[0].topLeft(), QPointF(10, 562));
    const auto hanging =
        TCImageWindow::trafficLightFrames(container, kSystemSizes, Settings{10, 6, 3, 0, false, true});
    EXPECT_EQ(hanging[0].top() + 16, 600 - 3) << "the close button's top edge 3 points under the frame's";
}

TEST(TitleBarGeometry, MissingButtonsCountAsNothing) {
    const auto frames = TCImageWindow::trafficLightFrames(
        QRectF(0, 578, 500, 22),
        {QSizeF(0, 0), kit::StandardWindowButton::kSize, kit::StandardWindowButton::kSize}, Settings{7, 6});
    EXPECT_EQ(frames[1].x(), 7 + 0 + 6);
}

TEST(TitleBarGeometry, FullScreenButtonKeepsItsRightMargin) {
    const QRectF container(0, 578, 500, 22);
    EXPECT_EQ(TCImageWindow::fullScreenButtonFrame(container, {16, 16}, 8, 3, false),
              QRectF(476, 581, 16, 16));
    EXPECT_EQ(TCImageWindow::fullScreenButtonFrame(container, {16, 16}, 8, 3, true),
              QRectF(476, 581, 16, 16));
    EXPECT_EQ(TCImageWindow::fullScreenButtonFrame(container, {16, 14}, 8, 0, false).y(), 586);
}

TEST(TitleBarGeometry, SheetsHangFromTheBottomOfTheTitleBar) {
    EXPECT_EQ(TCImageWindowDelegateProxy::sheetRect({10, 0, 300, 0}, 600, 25), QRectF(10, 575, 300, 0));
}

TEST(TitleBarGeometry, TitlePathAndTitleFrame) {
    const QPainterPath path = QNTitlebarView::titleBarPath({0, 0, 400, 25});
    EXPECT_TRUE(path.contains(QPointF(1, 1))) << "bottom corners are square";
    EXPECT_TRUE(path.contains(QPointF(399, 1)));
    EXPECT_FALSE(path.contains(QPointF(1, 24))) << "top corners are rounded";
    EXPECT_FALSE(path.contains(QPointF(399, 24)));
    EXPECT_TRUE(path.contains(QPointF(200, 24)));
    EXPECT_EQ(QNTitlebarView::titleFrame({0, 0, 400, 25}, {100, 15}), QRectF(150, 8, 100, 15));
}

// --- the window
// ----------------------------------------------------------------------------------------------

TEST(TCImageWindow, MainWindowSettingsPlaceButtonsAndShortenTheContent) {
    TCImageWindow window({888, 558});
    EXPECT_EQ(window.size(), QSize(888, 580));
    EXPECT_EQ(window.titleBarHeight(), 22);
    EXPECT_EQ(window.trafficLightButtonsLeftMargin(), 7);
    EXPECT_EQ(window.trafficLightSeparation(), 6);
    window.setTitleBarHeight(25);
    window.setTrafficLightButtonsLeftMargin(28);
    window.setTopButtonMoveUp(-5);  // stored only: shows at the next layout
    EXPECT_EQ(buttonFrames(window)[0].topLeft(), QPointF(28, 555 + 5));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QCoreApplication::processEvents();
    window.resize(890, 580);  // any layout now picks up the move-up
    window.resize(888, 580);
    const auto frames = buttonFrames(window);
    EXPECT_EQ(frames[0], QRectF(28, 555, 14, 16));
    EXPECT_EQ(frames[1], QRectF(48, 555, 14, 16));
    EXPECT_EQ(frames[2], QRectF(68, 555, 14, 16));
    EXPECT_EQ(contentFrame(window), QRectF(0, 0, 888, 580 - 25));
    EXPECT_EQ(window.titleBarContainer()->geometry(), QRect(0, 0, 888, 25));
    EXPECT_EQ(window.titleBarView()->geometry(), QRect(0, 0, 888, 25));
}

TEST(TCImageWindow, SettingAValueItAlreadyHasDoesNotLayOut) {
    TCImageWindow window({500, 300});
    window.setTitleBarHeight(25);
    QAbstractButton* close = window.standardWindowButton(0);
    close->move(200, 200);  // a layout would put it back
    window.setTitleBarHeight(25);
    window.setTrafficLightButtonsLeftMargin(window.trafficLightButtonsLeftMargin());
    window.setCenterTrafficLightButtons(true);
    window.setVerticalTrafficLightButtons(false);
    window.setTrafficLightSeparation(6);
    EXPECT_EQ(close->pos(), QPoint(200, 200));
    window.setTrafficLightSeparation(7);
    EXPECT_NE(close->pos(), QPoint(200, 200));
}

TEST(TCImageWindow, TitleBarHeightZeroInFullScreenOnlyWhenAsked) {
    TCImageWindow window({500, 300});
    window.setTitleBarHeight(25);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.setHideTitleBarInFullScreen(true);
    window.toggleFullScreen();
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.isFullScreen(); }, 2000));
    EXPECT_EQ(window.titleBarHeight(), 0);
    EXPECT_EQ(window.cachedTitleBarHeight(), 25);
    EXPECT_TRUE(window.titleBarView()->isHidden());
    window.toggleFullScreen();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !window.isFullScreen(); }, 2000));
    EXPECT_EQ(window.titleBarHeight(), 25);
    EXPECT_FALSE(window.titleBarView()->isHidden());
}

TEST(TCImageWindow, CapInTheTitleBarSitsAtTheCocoaFrame) {
    TCImageWindow window({560, 200});
    window.setTitleBarHeight(22);
    auto* cap = new PopWTopBgView(window.titleBarView());
    kit::setCocoaFrame(cap, {0, -10, 560, 40});
    EXPECT_EQ(cap->geometry(), QRect(0, -8, 560, 40));
}

TEST(TCImageWindow, DraggingTheTitleBarMovesTheWindowExceptInFullScreen) {
    TCImageWindow window({400, 200});
    window.move(100, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();
    drag(window.titleBarView(), {200, 10}, {40, 25});
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
    drag(window.contentView(), {200, 100}, {-10, 5});  // movable by its background too
    EXPECT_EQ(window.pos(), start + QPoint(30, 30));
    window.showFullScreen();
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.isFullScreen(); }, 2000));
    const QPoint full = window.pos();
    drag(window.titleBarView(), {200, 10}, {40, 25});
    EXPECT_EQ(window.pos(), full);
}

TEST(TCImageWindow, DoubleClickMiniaturisesOnlyWithTheSystemSetting) {
    testsupport::TempSimRoot root;
    TCImageWindow window({400, 200});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    doubleClick(window.titleBarView(), QPoint(200, 10));
    EXPECT_FALSE(window.isMinimized()) << "setting absent";

    platform::UserDefaults::setObject(true, "AppleMiniaturizeOnDoubleClick",
                                      platform::UserDefaults::globalDomain);
    QTest::mouseClick(window.titleBarView(), Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_FALSE(window.isMinimized()) << "a single click";
    doubleClick(window.titleBarView(), QPoint(200, 10));
    EXPECT_TRUE(window.isMinimized());
}

struct ButtonCase {
    const char* name;
    bool fixedSize;
    bool modal;
    bool zooms;
    bool miniaturises;
};

class WindowButtons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(WindowButtons, AFixedLayoutKeepsItsSizeAndAModalWindowStaysInFront) {
    const ButtonCase& row = GetParam();
    TCImageWindow window({400, 200});
    if (row.fixedSize) {
        window.setFixedSize(window.size());
    }
    window.setWindowModality(row.modal ? Qt::ApplicationModal : Qt::NonModal);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.standardWindowButton(2)->isEnabled(), row.zooms);
    EXPECT_EQ(window.standardWindowButton(1)->isEnabled(), row.miniaturises);
    const QSize size = window.size();
    QTest::mouseClick(window.standardWindowButton(2), Qt::LeftButton);
    window.performZoom();  // also when asked for without the button
    EXPECT_EQ(window.isMaximized(), false) << "zoomed twice is back";
    QTest::mouseClick(window.standardWindowButton(2), Qt::LeftButton);
    EXPECT_EQ(window.isMaximized(), row.zooms);
    if (!row.zooms) {
        EXPECT_EQ(window.size(), size);
    }
    window.performMiniaturize();
    EXPECT_EQ(window.isMinimized(), row.miniaturises);
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowButtons,
                         ::testing::Values(ButtonCase{"Plain", false, false, true, true},
                                           ButtonCase{"FixedSize", true, false, false, true},
                                           ButtonCase{"Modal", false, true, false, false}),
                         [](const auto& row) { return std::string(row.param.name); });

struct RecordingDelegate : kit::WindowDelegate {
    bool windowShouldClose(QWidget*) override {
        ++asked;
        return allow;
    }
    void windowWillClose(QWidget*) override { ++willClose; }
    bool allow = false;
    int asked = 0;
    int willClose = 0;
};

TEST(TCImageWindow, CloseButtonAsksTheDelegateAndClosesOnce) {
    TCImageWindow window({400, 200});
    RecordingDelegate delegate;
    window.setDelegate(&delegate);
    EXPECT_EQ(window.delegate(), &delegate);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.standardWindowButton(0), Qt::LeftButton);
    EXPECT_EQ(delegate.asked, 1);
    EXPECT_TRUE(window.isVisible()) << "the delegate refused";
    delegate.allow = true;
    QTest::mouseClick(window.standardWindowButton(0), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    window.close();
    window.close();
    EXPECT_EQ(delegate.willClose, 1) << "one close is enough";
    window.setDelegate(nullptr);
}

TEST(TCImageWindow, AScreenCanRetargetTheCloseButton) {
    TCImageWindow window({400, 200});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int closes = 0;
    static_cast<kit::StandardWindowButton*>(window.standardWindowButton(0))->setAction([&] { ++closes; });
    QTest::mouseClick(window.standardWindowButton(0), Qt::LeftButton);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(window.isVisible());
}

TEST(TCImageWindow, ACustomButtonTakesTheSystemButtonsPlace) {
    TCImageWindow window({400, 200});
    window.setTitleBarHeight(25);
    window.setTrafficLightButtonsLeftMargin(30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* custom = new QPushButton;
    custom->resize(14, 20);
    window.setCloseButton(custom);
    EXPECT_EQ(custom->parentWidget(), &window);
    const auto cocoaOrigin = [&](const QWidget* view) {
        return kit::cocoaRect(QRectF(view->geometry()), window.height()).topLeft();
    };
    EXPECT_EQ(cocoaOrigin(custom), cocoaOrigin(window.standardWindowButton(0)))
        << "starts at the system button's origin, its bottom left";
    EXPECT_EQ(custom->size(), QSize(14, 20));
    window.resize(401, window.height());  // the next layout places it
    EXPECT_TRUE(window.standardWindowButton(0)->isHidden());
    EXPECT_EQ(kit::cocoaRect(QRectF(custom->geometry()), window.height()).x(), 30);
    QTest::mouseClick(custom, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible()) << "its action is performClose";
    window.show();
    window.setCloseButton(nullptr);
    window.resize(400, window.height());
    EXPECT_FALSE(window.standardWindowButton(0)->isHidden());
}

TEST(TCImageWindow, ShowsTheTitleOnlyWhenAsked) {
    TCImageWindow window({400, 100});
    window.setTitle("MMMM");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto inkIn = [](const QImage& image) {
        int ink = 0;
        for (int x = 150; x < 250; ++x) {
            for (int y = 0; y < 22; ++y) {
                ink += image.pixelColor(x, y).alpha() > 0 ? 1 : 0;
            }
        }
        return ink;
    };
    EXPECT_EQ(inkIn(kittest::render(window.titleBarView())), 0) << "transparent by default";
    window.setShowsTitle(true);
    EXPECT_GT(inkIn(kittest::render(window.titleBarView())), 20);
}
