#include "app/shell/AppDelegate.h"
#include "app/shell/TCPreferenceWindowController.h"
#include "platform/Dispatch.h"
#include "platform/Workspace.h"
#include "services/utilities/KVPublicUtilities.h"
#include "tests/support/TestEnv.h"
#include "tests/support/shell/ShellTestSupport.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

struct MenuWindow {
    const char* item;
    const char* title;
};

class MenuWindows : public ::testing::TestWithParam<MenuWindow> {};

}  // namespace

TEST(AboutWindow, TheLinkOpensItsAddressAndTheWindowStaysOpenUntilClosed) {
    QList<QUrl> opened;
    platform::Workspace::setOpenURLForTesting([&](const QUrl& url) { return opened.append(url), true; });
    TCPreferenceWindowController about;
    about.window();
    const QFont link = about.linkButton()->font();
    EXPECT_EQ(link.family(), "Helvetica Light");
    EXPECT_EQ(link.pixelSize(), 14);
    EXPECT_TRUE(link.underline());
    EXPECT_EQ(about.linkButton()->palette().color(QPalette::ButtonText), getColor(65, 98, 255, 1));
    bool openAfterLink = false;
    QTimer::singleShot(0, [&] {
        shelltest::saveScreenshot(about.window(), "about-window");
        click(about.linkButton());
        openAfterLink = about.window()->isVisible() && kit::ModalRun::isRunning(about.window());
        click(about.window()->standardWindowButton(0));
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(about.window()), kit::ModalRun::kResponseStop);
    platform::Workspace::setOpenURLForTesting({});
    EXPECT_EQ(opened, QList<QUrl>{TCPreferenceWindowController::kProductURL});
    EXPECT_TRUE(openAfterLink);
    EXPECT_FALSE(about.window()->isVisible());
}

TEST_P(MenuWindows, OpenCentredAndModalAndTheMenuActionReturnsWhenTheyClose) {
    testsupport::TempSimRoot sim;
    QTcpServer closed;  // nobody answers the network probe
    closed.listen(QHostAddress::LocalHost);
    KVPublicUtilities::setNetworkProbeURLForTesting(
        QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort())));
    closed.close();
    AppDelegate delegate;
    const QList<QAction*> items = delegate.mainMenu()->findChildren<QMenu*>().value(0)->actions();
    const auto item = std::ranges::find(items, QString(GetParam().item), &QAction::iconText);
    ASSERT_NE(item, items.end());
    QWidget* modal = nullptr;
    QTimer::singleShot(0, [&] {
        modal = QApplication::activeModalWidget();
        ASSERT_TRUE(qobject_cast<TCImageWindow*>(modal));
        EXPECT_EQ(modal->windowTitle(), GetParam().title);
        EXPECT_EQ(modal->pos(),
                  kit::centeredFrame(QGuiApplication::primaryScreen()->availableGeometry(), modal->size())
                      .topLeft());
        click(qobject_cast<TCImageWindow*>(modal)->standardWindowButton(0));
    });
    (*item)->trigger();
    EXPECT_NE(modal, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(testsupport::waitUntil(
        [] { return platform::waitForGlobalQueue(std::chrono::milliseconds::zero()); }));
}

INSTANTIATE_TEST_SUITE_P(Menu, MenuWindows,
                         ::testing::Values(MenuWindow{"About Tavrun", "About Tavrun"},
                                           MenuWindow{"Check for Updates…", "Check for Updates"}),
                         [](const auto& row) { return QString(row.param.title).remove(' ').toStdString(); });
