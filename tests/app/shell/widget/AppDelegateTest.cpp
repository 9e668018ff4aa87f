#include "app/shell/AppDelegate.h"
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

QAction* menuItem(const AppDelegate& delegate, const QString& text) {
    for (QMenu* menu : delegate.mainMenu()->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
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

TEST_P(MenuItems, OpenTheirAddressInTheBrowser) {
    testsupport::TempSimRoot sim;
    RepositoryResources resources;
    RecordedWorkspace workspace;
    AppDelegate delegate;
    QAction* item = menuItem(delegate, GetParam().text);
    ASSERT_NE(item, nullptr) << GetParam().text;
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
