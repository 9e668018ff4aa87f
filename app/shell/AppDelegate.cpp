#include "app/shell/AppDelegate.h"

#include "app/shell/KVCheckUpdateWindowController.h"
#include "app/shell/MainWindowController.h"
#include "app/shell/TCPreferenceWindowController.h"
#include "platform/LogCategories.h"
#include "platform/RunningApplication.h"
#include "platform/Workspace.h"
#include "services/utilities/KVLinkUrl.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StatusAttachedWindow.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QMenuBar>

#include <cstdlib>

AppDelegate::AppDelegate() {
    buildMainMenu();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::buildMainMenu() {
    mainMenu_ = std::make_unique<QMenuBar>();  // no parent: the platform's global menu bar, where it has one
    QMenu* application = mainMenu_->addMenu(QStringLiteral("Tavrun"));
    application->addAction(QStringLiteral("About Tavrun"), this, &AppDelegate::aboutMenuItemAction);
    checkUpMenuItem_ = application->addAction(QStringLiteral("Check for Updates…"), this,
                                              &AppDelegate::checkUpdateMenuItemAction);
    lineMenuItem_ = application->addSeparator();
    application->addAction(QStringLiteral("Data Recovery"), this, &AppDelegate::dataRecoveryMenuItemAction);
    application->addAction(QStringLiteral("iOS Data Recovery"), this,
                           &AppDelegate::iosDataRecoveryMenuItemAction);
    application->addAction(QStringLiteral("Data Eraser"), this, &AppDelegate::dataEraserMenuItemAction);
    application->addAction(QStringLiteral("Pomvale"), this, &AppDelegate::PomvaleMenuItemAction);
    QMenu* help = mainMenu_->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("User Guide"), this, &AppDelegate::userGuideMenuItemAction);
    help->addAction(QStringLiteral("Support"), this, &AppDelegate::helpMenuItemAction);
}

void AppDelegate::applicationDidFinishLaunching() {
    if (checkAppDuplicateAndBringToFrontWithBundle(kBundleIdentifier)) {
        qCInfo(lcApp) << "another instance runs; it was brought to the front";
        std::exit(0);
    }
    // The kit cannot reach the services; the dialogs' look follows the system version.
    StatusAttachedWindow::setSystemVersionFunction(&KVPublicUtilities::getSystemVersion);
    mainWindowController_ = std::make_unique<MainWindowController>();
    TCImageWindow* window = mainWindowController_->window();
    kit::centerWindow(window);
    window->show();
    qCInfo(lcApp) << "main window shown";
}

bool AppDelegate::checkAppDuplicateAndBringToFrontWithBundle(const QString& bundleIdentifier) {
    const qint64 current = platform::RunningApplication::currentProcessIdentifier();
    const auto running =
        platform::RunningApplication::runningApplicationsWithBundleIdentifier(bundleIdentifier);
    bool found = false;
    for (const platform::RunningApplication& application : running) {
        if (application.processIdentifier() != current) {
            platform::Workspace::launchApplication(application.bundlePath());
            found = true;
        }
    }
    return found;
}

void AppDelegate::openLink(const QString& linkKey) {
    const auto address = KVLinkUrl::GetUrl(linkKey);
    if (!address) {
        qCWarning(lcApp) << "no address for" << linkKey;
        return;
    }
    platform::Workspace::openURL(QUrl(*address, QUrl::StrictMode));
}

void AppDelegate::aboutMenuItemAction() {
    TCPreferenceWindowController about;
    kit::centerWindow(about.window());
    kit::ModalRun::runModalForWindow(about.window());
}

void AppDelegate::checkUpdateMenuItemAction() {
    KVCheckUpdateWindowController update;
    kit::centerWindow(update.window());
    kit::ModalRun::runModalForWindow(update.window());
}

void AppDelegate::userGuideMenuItemAction() {
    openLink(QStringLiteral("OnlineHelp"));
}

void AppDelegate::helpMenuItemAction() {
    openLink(QStringLiteral("Support"));
}

void AppDelegate::dataRecoveryMenuItemAction() {
    platform::Workspace::openURL(kDataRecoveryURL);
}

void AppDelegate::iosDataRecoveryMenuItemAction() {
    platform::Workspace::openURL(kIOSDataRecoveryURL);
}

void AppDelegate::dataEraserMenuItemAction() {
    platform::Workspace::openURL(kDataEraserURL);
}

void AppDelegate::PomvaleMenuItemAction() {
    platform::Workspace::openURL(kPomvaleURL);
}
