#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/NamedImage.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/controls/TopImageView.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/QNPopoverWindow.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// A title-bar window on a real X server: the test starts its own Xvfb on a free display and runs the
// window in a child process of this same program on the xcb platform, which the offscreen tests cannot
// show. The child is the test below that only runs when the parent asks for it.

namespace {

constexpr const char* kChildVariable = "TAVRUN_XCB_CHILD";
constexpr const char* kChildTest = "XcbChild.TitleBarWindowShowsAndMoves";
constexpr const char* kPopoverChildTest = "XcbChild.PopoverShowsOverTheMainWindow";
// How long an effect on the X server may take on a busy machine; the waits end as soon as it shows.
constexpr int kEffectMs = 60000;

// Where the X server says the window is (xdotool), when xdotool is there.
std::optional<QPoint> serverPosition(WId window) {
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xdotool.isEmpty()) {
        return std::nullopt;
    }
    QProcess query;
    query.start(xdotool, {"getwindowgeometry", QString::number(window)});
    if (!query.waitForFinished(kEffectMs)) {
        return std::nullopt;
    }
    const auto match =
        QRegularExpression(R"(Position: (-?\d+),(-?\d+))").match(query.readAllStandardOutput());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return QPoint(match.captured(1).toInt(), match.captured(2).toInt());
}

bool redLightAt(const QImage& screen, QPoint at) {
    const QColor color = screen.pixelColor(at);
    return color.red() > 200 && color.green() < 140 && color.blue() < 140;
}

class RunningXvfb {
public:
    bool start() {
        xvfb_.start(QStandardPaths::findExecutable("Xvfb"),
                    {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        if (!xvfb_.waitForStarted(kEffectMs)) {
            return false;
        }
        // Xvfb picks a free display itself and writes its number to the descriptor given.
        const bool ready = testsupport::waitUntil([&] { return xvfb_.canReadLine(); }, kEffectMs);
        display_ = ready ? ":" + QString::fromLatin1(xvfb_.readLine()).trimmed() : QString();
        const QString compositor = QStandardPaths::findExecutable("xcompmgr");
        if (!display_.isEmpty() && !compositor.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("DISPLAY", display_);
            compositor_.setProcessEnvironment(environment);
            compositor_.start(compositor, {});
        }
        return !display_.isEmpty();
    }
    ~RunningXvfb() {
        for (QProcess* process : {&compositor_, &xvfb_}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000)) {
                    process->kill();
                    process->waitForFinished(5000);
                }
            }
        }
    }
    const QString& display() const { return display_; }

private:
    QProcess xvfb_;
    QProcess compositor_;
    QString display_;
};

// Runs one child test of this program on a fresh Xvfb display and expects it to pass there.
void expectChildPassesUnderXvfb(const char* childTest) {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    RunningXvfb server;
    ASSERT_TRUE(server.start()) << "Xvfb did not report a display";

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", server.display());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert(kChildVariable, "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QString("--gtest_filter=") + childTest});
    // Within ctest's limit, so that what the child printed is shown.
    const bool ended = child.waitForFinished(240000);
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    const QString output = QString::fromLocal8Bit(child.readAll());
    ASSERT_TRUE(ended) << "the window's process did not end: " << output.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    EXPECT_FALSE(output.contains("SKIPPED")) << output.toStdString();
}

}  // namespace

TEST(TitleBarWindowOnX11, ShowsAndMovesUnderXvfb) {
    expectChildPassesUnderXvfb(kChildTest);
}

TEST(PopoverOnX11, ShowsOverTheMainWindowAndClosesOnEscUnderXvfb) {
    expectChildPassesUnderXvfb(kPopoverChildTest);
}

TEST(XcbChild, TitleBarWindowShowsAndMoves) {
    if (qEnvironmentVariable(kChildVariable) != "1") {
        GTEST_SKIP() << "runs inside the Xvfb test only";
    }
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    TCImageWindow window({560, 300});
    window.setTitleBarHeight(25);
    window.setTrafficLightButtonsLeftMargin(28);
    window.setTopButtonMoveUp(-5);
    auto* strip = new TopImageView(window.titleBarView());
    strip->setPixmap(kit::NamedImage::imageNamed("top").pixmap().copy(QRect(0, 0, 560, 25)));
    strip->setGeometry(0, 0, 560, 25);
    auto* body = new PopWBgView(window.contentView());
    body->setGeometry(0, 0, 560, 297);
    window.move(100, 80);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kEffectMs));
    window.activateWindow();

    // The close button's red light, on the screen.
    QAbstractButton* close = window.standardWindowButton(0);
    const QPoint lightInWindow = close->geometry().center();
    QImage screen;
    EXPECT_TRUE(testsupport::waitUntil(
        [&] {
            screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            return redLightAt(screen, window.mapToGlobal(lightInWindow));
        },
        kEffectMs))
        << "the window is not on the screen";
    kittest::saveScreenshot(screen, "xvfb-title-bar-window");

    // Drag the title bar by (60, 40), as the pointer would.
    const QPointF local(300, 12);
    const QPointF global = window.titleBarView()->mapToGlobal(local);
    const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, at, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          {});
        QCoreApplication::sendEvent(window.titleBarView(), &event);
    };
    const QPoint before = window.pos();
    send(QEvent::MouseButtonPress, global, Qt::LeftButton);
    send(QEvent::MouseMove, global + QPointF(30, 20), Qt::LeftButton);
    send(QEvent::MouseMove, global + QPointF(60, 40), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, global + QPointF(60, 40), Qt::NoButton);
    const QPoint target = before + QPoint(60, 40);
    EXPECT_EQ(window.pos(), target);

    if (const auto onServer = serverPosition(window.winId())) {
        EXPECT_TRUE(
            testsupport::waitUntil([&] { return serverPosition(window.winId()) == target; }, kEffectMs))
            << "the X server has the window at " << onServer->x() << "," << onServer->y();
    }
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            return redLightAt(screen, target + lightInWindow);
        },
        kEffectMs))
        << "the red light did not follow the window";
    EXPECT_FALSE(redLightAt(screen, before + lightInWindow));
    kittest::saveScreenshot(screen, "xvfb-title-bar-window-moved");
}

// The main window's look (its title bar, strip and body), with a disk button that opens a popover of
// disk tiles the way the screens open the disk picker.
TEST(XcbChild, PopoverShowsOverTheMainWindow) {
    if (qEnvironmentVariable(kChildVariable) != "1") {
        GTEST_SKIP() << "runs inside the Xvfb test only";
    }
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    TCImageWindow window({560, 300});
    window.setTitleBarHeight(25);
    window.setTrafficLightButtonsLeftMargin(28);
    window.setTopButtonMoveUp(-5);
    auto* strip = new TopImageView(window.titleBarView());
    strip->setPixmap(kit::NamedImage::imageNamed("top").pixmap().copy(QRect(0, 0, 560, 25)));
    strip->setGeometry(0, 0, 560, 25);
    auto* body = new PopWBgView(window.contentView());
    body->setGeometry(0, 0, 560, 297);
    auto* button = new TextImageButton(window.contentView());
    button->setImageFromFileNormalName("btn_sec", "btn_sec_press", "btn_sec_hover", "btn_sec_disable");
    button->setGeometry(40, 60, 120, 36);
    button->setTextWithName("Select");
    window.move(100, 80);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kEffectMs));
    window.activateWindow();
    ASSERT_TRUE(testsupport::waitUntil([&] { return QApplication::activeWindow() == &window; }, kEffectMs));

    // Two disk tiles: an icon over a name each, on a transparent view that lets the white body show.
    auto tiles = std::make_unique<QWidget>();
    tiles->resize(260, 130);
    for (int i = 0; i < 2; ++i) {
        auto* icon = new QLabel(tiles.get());
        icon->setPixmap(kit::NamedImage::imageNamed("ic_disk_usb").pixmap());
        icon->setGeometry(30 + i * 120, 15, 80, 80);
        icon->setAlignment(Qt::AlignCenter);
        auto* name = new QLabel(i == 0 ? QStringLiteral("USB Disk") : QStringLiteral("Backup"), tiles.get());
        name->setGeometry(30 + i * 120, 98, 80, 20);
        name->setAlignment(Qt::AlignCenter);
    }
    QNPopoverController popover(tiles.get());
    popover.setColor(getColor(66, 66, 88, 1));
    popover.setBorderColor(getColor(66, 66, 88, 1));
    popover.setBorderWidth(2);
    popover.setAnimates(true);
    popover.presentPopoverFromRect(button->rect(), button, QNPopoverArrowDirectionLeft, true);
    QNPopoverWindow* panel = popover.popoverWindow();
    ASSERT_TRUE(testsupport::waitUntil([&] { return panel->isVisible() && !panel->zoomWindow(); }, kEffectMs))
        << "the pop did not end";
    EXPECT_TRUE(testsupport::waitUntil([&] { return QApplication::activeWindow() == panel; }, kEffectMs))
        << "the popover did not become the key window";
    EXPECT_EQ(panel->x(), button->mapToGlobal(QPoint(120, 0)).x()) << "right of the button";

    // The compositor draws the shadow in its own time after the panel maps: grab until it shows.
    const QPoint underShadow = panel->geometry().bottomLeft() + QPoint(panel->width() / 2, -8);
    QImage screen;
    testsupport::waitUntil(
        [&] {
            screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            return screen.pixelColor(underShadow).red() < 250;
        },
        kEffectMs);
    kittest::saveScreenshot(screen, "xvfb-popover-over-main-window");
    const QPoint tip = panel->geometry().topLeft() + QPoint(4, panel->height() / 2);
    EXPECT_TRUE(kittest::sameColor(screen.pixelColor(tip), Qt::white, 40)) << "the arrow beside the button";
    const QPoint inBody = panel->geometry().topLeft() + QPoint(20, 20);
    EXPECT_TRUE(kittest::sameColor(screen.pixelColor(inBody), Qt::white, 10)) << "the white body";
    // Below the body its shadow darkens the window a little: grey, not the black of a missing compositor.
    const QColor shadow = screen.pixelColor(underShadow);
    EXPECT_GT(shadow.red(), 150) << "the shadow over the window";
    EXPECT_LT(shadow.red(), 250) << "the shadow over the window";

    // Esc as the user types it, to whichever window has the key status.
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xdotool.isEmpty()) {
        QTest::keyClick(panel, Qt::Key_Escape);
    } else {
        QProcess::execute(xdotool, {"key", "Escape"});
    }
    EXPECT_TRUE(testsupport::waitUntil([&] { return !popover.popoverIsVisible(); }, kEffectMs));
    EXPECT_TRUE(testsupport::waitUntil([&] { return QApplication::activeWindow() == &window; }, kEffectMs));
}
