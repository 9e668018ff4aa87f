#pragma once

#include "app/shell/MyNSApplication.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class KVCheckUpdateWindowController;
class MainWindowController;
class QAction;
class QMenu;
class QMenuBar;

// The application's delegate: the single-instance rule at launch, the main window, the application menu
// (About, the update check, the maker's other products, user guide, support, Quit) and the answer to a
// Quit. The menu is the menu bar's where the desktop has a global one; elsewhere the main window gives the
// same menu from its title bar, and its shortcuts work there. The main window controller lives for the
// run; the About and update windows for one modal run each.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static inline const QString kBundleIdentifier = QStringLiteral("com.Belmora.clone");
    static inline const QUrl kDataRecoveryURL{
        QStringLiteral("https://tavrun.example/products/data-recovery/")};
    static inline const QUrl kIOSDataRecoveryURL{
        QStringLiteral("https://tavrun.example/products/ios-data-recovery/")};
    static inline const QUrl kDataEraserURL{QStringLiteral("https://tavrun.example/products/data-eraser/")};
    static inline const QUrl kPomvaleURL{QStringLiteral("https://tavrun.example/products/pomvale/")};

    AppDelegate();
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Ends the process with 0 when another instance runs (after bringing it to the front); otherwise makes
    // the main window, centres it and shows it.
    void applicationDidFinishLaunching();
    // Brings every other running instance with the identifier to the front; true when there was one.
    bool checkAppDuplicateAndBringToFrontWithBundle(const QString& bundleIdentifier);

    // Each makes its window anew, centres it and returns when its modal run has ended.
    void aboutMenuItemAction();
    void checkUpdateMenuItemAction();
    void userGuideMenuItemAction();
    void helpMenuItemAction();
    void dataRecoveryMenuItemAction();
    void iosDataRecoveryMenuItemAction();
    void dataEraserMenuItemAction();
    void PomvaleMenuItemAction();

    // Quit (the menu, its shortcut, a quit signal from the system): when applicationShouldTerminate
    // answers terminate-now, the application's run ends (its modal runs too).
    void terminate();
    // Terminate now, unless the update window is open: it answers itself, fading out first.
    MyNSApplication::TerminateReply applicationShouldTerminate();
    // What ending the application's run does; tests record it instead.
    void setEndOfRun(std::function<void()> end) { endOfRun_ = std::move(end); }

    // The menu bar, shown where the platform has a global one (as a Mac has).
    QMenuBar* mainMenu() const { return mainMenu_.get(); }
    // The same items in one menu, for the main window where the menu bar is not the desktop's.
    QMenu* applicationMenu() const { return applicationMenu_.get(); }
    QAction* checkUpMenuItem() const { return checkUpMenuItem_; }
    QAction* lineMenuItem() const { return lineMenuItem_; }
    QAction* quitMenuItem() const { return quitMenuItem_; }
    MainWindowController* mainWindowController() const { return mainWindowController_.get(); }

private:
    void buildMainMenu();
    void openLink(const QString& linkKey);

    std::unique_ptr<QMenuBar> mainMenu_;
    std::unique_ptr<QMenu> applicationMenu_;
    QAction* checkUpMenuItem_ = nullptr;
    QAction* lineMenuItem_ = nullptr;
    QAction* quitMenuItem_ = nullptr;
    std::unique_ptr<MainWindowController> mainWindowController_;
    KVCheckUpdateWindowController* update_ = nullptr;  // while its window runs
    std::function<void()> endOfRun_;
};
