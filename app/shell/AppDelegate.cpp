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

#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include <cstdlib>

namespace {

// Only a Mac shows a menu bar that belongs to no window; elsewhere the main window carries the menu.
bool desktopShowsMenuBar([[maybe_unused]] const QMenuBar& bar) {
#ifdef Q_OS_MACOS
    return bar.isNativeMenuBar();
#else
    return false;
#endif
}

}  // namespace

AppDelegate::AppDelegate() : endOfRun_([] { QCoreApplication::exit(0); }) {
    buildMainMenu();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::buildMainMenu() {
    const auto item = [this](const QString& text, void (AppDelegate::*action)()) {
        auto* added = new QAction(text, this);  // owned by the delegate; both menus show it
        connect(added, &QAction::triggered, this, action);
        return added;
    };
    QAction* about = item(QStringLiteral("&About Tavrun"), &AppDelegate::aboutMenuItemAction);
    about->setMenuRole(QAction::AboutRole);
    checkUpMenuItem_ = item(QStringLiteral("Check for &Updates…"), &AppDelegate::checkUpdateMenuItemAction);
    const QList<QAction*> products{
        item(QStringLiteral("Data &Recovery"), &AppDelegate::dataRecoveryMenuItemAction),
        item(QStringLiteral("&iOS Data Recovery"), &AppDelegate::iosDataRecoveryMenuItemAction),
        item(QStringLiteral("Data &Eraser"), &AppDelegate::dataEraserMenuItemAction),
        item(QStringLiteral("&Pomvale"), &AppDelegate::PomvaleMenuItemAction)};
    QAction* guide = item(QStringLiteral("User &Guide"), &AppDelegate::userGuideMenuItemAction);
    guide->setShortcut(QKeySequence::HelpContents);
    QAction* support = item(QStringLiteral("&Support"), &AppDelegate::helpMenuItemAction);
    quitMenuItem_ = item(QStringLiteral("&Quit Tavrun"), &AppDelegate::terminate);
    quitMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));  // Command-Q on a Mac
    quitMenuItem_->setMenuRole(QAction::QuitRole);

    mainMenu_ = std::make_unique<QMenuBar>();  // no parent: a Mac's global menu bar
    QMenu* application = mainMenu_->addMenu(QStringLiteral("Tavrun"));
    application->addActions({about, checkUpMenuItem_});
    lineMenuItem_ = application->addSeparator();
    application->addActions(products);
    application->addSeparator();
    application->addAction(quitMenuItem_);
    mainMenu_->addMenu(QStringLiteral("Help"))->addActions({guide, support});

    applicationMenu_ = std::make_unique<QMenu>();
    applicationMenu_->addActions({about, checkUpMenuItem_});
    applicationMenu_->addSeparator();
    applicationMenu_->addActions(products);
    applicationMenu_->addSeparator();
    applicationMenu_->addActions({guide, support});
    applicationMenu_->addSeparator();
    applicationMenu_->addAction(quitMenuItem_);
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
    if (!desktopShowsMenuBar(*mainMenu_)) {
        mainWindowController_->setApplicationMenu(applicationMenu_.get());
    }
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
    about.window()->addAction(quitMenuItem_);  // Quit works while it is open
    kit::centerWindow(about.window());
    kit::ModalRun::runModalForWindow(about.window());
}

void AppDelegate::checkUpdateMenuItemAction() {
    KVCheckUpdateWindowController update;
    update.setTerminateApplication([this] { terminate(); });
    update.window()->addAction(quitMenuItem_);
    kit::centerWindow(update.window());
    update_ = &update;
    kit::ModalRun::runModalForWindow(update.window());
    update_ = nullptr;
}

void AppDelegate::terminate() {
    if (applicationShouldTerminate() == MyNSApplication::NSTerminateNow) {
        qCInfo(lcApp) << "terminating";
        endOfRun_();
    }
}

MyNSApplication::TerminateReply AppDelegate::applicationShouldTerminate() {
    return update_ ? update_->applicationShouldTerminate() : MyNSApplication::NSTerminateNow;
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
