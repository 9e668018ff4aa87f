#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/NamedImage.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/controls/TopImageView.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

// A title-bar window on a real X server: the test starts its own Xvfb on a free display and runs the
// window in a child process of this same program on the xcb platform, which the offscreen tests cannot
// show. The child is the test below that only runs when the parent asks for it.

namespace {

constexpr const char* kChildVariable = "TAVRUN_XCB_CHILD";
constexpr const char* kChildTest = "XcbChild.TitleBarWindowShowsAndMoves";

// Where the X server says the window is (xdotool), when xdotool is there.
std::optional<QPoint> serverPosition(WId window) {
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xdotool.isEmpty()) {
        return std::nullopt;
    }
    QProcess query;
    query.start(xdotool, {"getwindowgeometry", QString::number(window)});
    if (!query.waitForFinished(5000)) {
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
        if (!xvfb_.waitForStarted(5000)) {
            return false;
        }
        // Xvfb picks a free display itself and writes its number to the descriptor given.
        const bool ready = testsupport::waitUntil([&] { return xvfb_.canReadLine(); }, 15000);
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

}  // namespace

TEST(TitleBarWindowOnX11, ShowsAndMovesUnderXvfb) {
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
    child.start(QCoreApplication::applicationFilePath(), {QString("--gtest_filter=") + kChildTest});
    ASSERT_TRUE(child.waitForFinished(120000)) << "the window's process did not end";
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    EXPECT_FALSE(output.contains("SKIPPED")) << output.toStdString();
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
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 10000));
    window.activateWindow();
    QTest::qWait(300);

    // The close button's red light, on the screen.
    QAbstractButton* close = window.standardWindowButton(0);
    const QPoint lightInWindow = close->geometry().center();
    QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    kittest::saveScreenshot(screen, "xvfb-title-bar-window");
    EXPECT_TRUE(redLightAt(screen, window.mapToGlobal(lightInWindow))) << "the window is not on the screen";

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
        EXPECT_TRUE(testsupport::waitUntil([&] { return serverPosition(window.winId()) == target; }, 5000))
            << "the X server has the window at " << onServer->x() << "," << onServer->y();
    }
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            return redLightAt(screen, target + lightInWindow);
        },
        5000))
        << "the red light did not follow the window";
    EXPECT_FALSE(redLightAt(screen, before + lightInWindow));
    kittest::saveScreenshot(screen, "xvfb-title-bar-window-moved");
}
