#include "app/shell/AppDelegate.h"
#include "app/shell/ApplicationMenuButton.h"
#include "app/shell/MainWindowController.h"
#include "platform/Bundle.h"
#include "platform/PropertyList.h"
#include "platform/RunningApplication.h"
#include "platform/Workspace.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/windows/StatusAttachedWindow.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using platform::Workspace;

// The addresses and launches of one test, recorded instead of handed to the desktop.
class RecordedWorkspace {
public:
    RecordedWorkspace() {
        Workspace::setOpenURLForTesting([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
        Workspace::setLaunchApplicationForTesting([this](const QString& path) {
            launched.append(path);
            return true;
        });
    }
    ~RecordedWorkspace() {
        Workspace::setOpenURLForTesting({});
        Workspace::setLaunchApplicationForTesting({});
    }
    RecordedWorkspace(const RecordedWorkspace&) = delete;
    RecordedWorkspace& operator=(const RecordedWorkspace&) = delete;

    QList<QUrl> opened;
    QStringList launched;
};

// The bundle's resources as the repository holds them.
class RepositoryResources {
public:
    RepositoryResources() { platform::Bundle::setResourcesFolderForTesting(TAVRUN_SOURCE_DIR "/resources"); }
    ~RepositoryResources() { platform::Bundle::setResourcesFolderForTesting({}); }
    RepositoryResources(const RepositoryResources&) = delete;
    RepositoryResources& operator=(const RepositoryResources&) = delete;
};

// The item in one of the menus, by its text without the mnemonic.
QAction* menuItem(const QList<QMenu*>& menus, const QString& text) {
    for (QMenu* menu : menus) {
        for (QAction* action : menu->actions()) {
            if (action->iconText() == text) {
                return action;
            }
        }
    }
    return nullptr;
}

struct Item {
    const char* text;
    const char* address;
};

class MenuItems : public ::testing::TestWithParam<Item> {};

}  // namespace

// Each item is in the menu bar and in the main window's menu, which a desktop without a global menu bar
// shows.
TEST_P(MenuItems, OpenTheirAddressInTheBrowser) {
    testsupport::TempSimRoot sim;
    RepositoryResources resources;
    RecordedWorkspace workspace;
    AppDelegate delegate;
    QAction* item = menuItem(delegate.mainMenu()->findChildren<QMenu*>(), GetParam().text);
    ASSERT_NE(item, nullptr) << GetParam().text;
    EXPECT_EQ(menuItem({delegate.applicationMenu()}, GetParam().text), item) << "in the window's menu too";
    item->trigger();
    EXPECT_EQ(workspace.opened, QList<QUrl>{QUrl(GetParam().address)});
}

INSTANTIATE_TEST_SUITE_P(
    Menu, MenuItems,
    ::testing::Values(Item{"User Guide", "https://tavrun.example/guide/"},
                      Item{"Support", "https://tavrun.example/support/"},
                      Item{"Data Recovery", "https://tavrun.example/products/data-recovery/"},
                      Item{"iOS Data Recovery", "https://tavrun.example/products/ios-data-recovery/"},
                      Item{"Data Eraser", "https://tavrun.example/products/data-eraser/"},
                      Item{"Pomvale", "https://tavrun.example/products/pomvale/"}));

TEST(AppDelegateLinks, AMissingOrBrokenAddressOpensNothing) {
    testsupport::TempSimRoot sim;
    QTemporaryDir resources;
    QFile plist(resources.filePath("PrivateData.plist"));
    ASSERT_TRUE(plist.open(QIODevice::WriteOnly));
    plist.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>en</key><dict><key>Support</key><string>:// not an address</string></dict></dict></plist>)");
    plist.close();
    platform::Bundle::setResourcesFolderForTesting(resources.path());
    RecordedWorkspace workspace;
    AppDelegate delegate;
    delegate.userGuideMenuItemAction();  // no "OnlineHelp" key
    delegate.helpMenuItemAction();       // not an address
    platform::Bundle::setResourcesFolderForTesting({});
    EXPECT_TRUE(workspace.opened.isEmpty());
}

TEST(AppDelegateLaunch, AloneItShowsTheCentredMainWindow) {
    testsupport::TempSimRoot sim;
    sim.writeFile("/System/Library/CoreServices/SystemVersion.plist",
                  platform::PropertyList::toXml(QVariantMap{{"ProductVersion", "13.4"}}));
    RecordedWorkspace workspace;
    AppDelegate delegate;
    EXPECT_FALSE(delegate.checkAppDuplicateAndBringToFrontWithBundle(AppDelegate::kBundleIdentifier));
    delegate.applicationDidFinishLaunching();
    ASSERT_NE(delegate.mainWindowController(), nullptr);
    TCImageWindow* window = delegate.mainWindowController()->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(
        window->pos(),
        kit::centeredFrame(QGuiApplication::primaryScreen()->availableGeometry(), window->size()).topLeft());
    EXPECT_TRUE(workspace.launched.isEmpty());
    EXPECT_EQ(StatusAttachedWindow::systemVersion(), 1304) << "the dialogs know the system version";
}

TEST(AppDelegateLaunch, ItsOwnRegistrationIsNoOtherInstance) {
    testsupport::TempSimRoot sim;
    RecordedWorkspace workspace;
    platform::RunningApplication::Registration self(AppDelegate::kBundleIdentifier, "/nowhere/Tavrun.app",
                                                    {});
    ASSERT_TRUE(self.isRegistered());
    AppDelegate delegate;
    EXPECT_FALSE(delegate.checkAppDuplicateAndBringToFrontWithBundle(AppDelegate::kBundleIdentifier));
    EXPECT_TRUE(workspace.launched.isEmpty());
}

namespace {

// A key pressed in the main window, where the desktop shows no global menu bar (offscreen shows none).
struct WindowKey {
    const char* name;
    QKeySequence keys;
    bool opensMenu;
    QList<QUrl> opened;
    int ends;  // how often the application's run was ended
};

class MainWindowKeys : public ::testing::TestWithParam<WindowKey> {};

}  // namespace

TEST_P(MainWindowKeys, ReachTheApplicationMenu) {
    testsupport::TempSimRoot sim;
    RepositoryResources resources;
    RecordedWorkspace workspace;
    AppDelegate delegate;
    int ends = 0;
    delegate.setEndOfRun([&] { ++ends; });
    delegate.applicationDidFinishLaunching();
    TCImageWindow* window = delegate.mainWindowController()->window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_NE(delegate.mainWindowController()->applicationMenuButton(), nullptr);
    EXPECT_TRUE(delegate.mainWindowController()->applicationMenuButton()->isVisible());
    bool looked = false;
    bool menuShown = false;
    QTimer::singleShot(0, [&] {  // an open menu runs a loop of its own
        menuShown = delegate.applicationMenu()->isVisible();
        delegate.applicationMenu()->close();
        looked = true;
    });
    QTest::keySequence(window, GetParam().keys);
    ASSERT_TRUE(testsupport::waitUntil([&] { return looked; })) << "the key's effect never settled";
    EXPECT_EQ(menuShown, GetParam().opensMenu);
    EXPECT_EQ(workspace.opened, GetParam().opened);
    EXPECT_EQ(ends, GetParam().ends);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MainWindowKeys,
    ::testing::Values(WindowKey{"F10OpensTheMenu", QKeySequence(Qt::Key_F10), true, {}, 0},
                      WindowKey{"QuitEndsTheRun", QKeySequence(Qt::CTRL | Qt::Key_Q), false, {}, 1},
                      WindowKey{"HelpOpensTheUserGuide",
                                QKeySequence::HelpContents,
                                false,
                                {QUrl("https://tavrun.example/guide/")},
                                0}),
    [](const auto& row) { return std::string(row.param.name); });
