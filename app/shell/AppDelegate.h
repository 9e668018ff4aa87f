#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class MainWindowController;
class QAction;
class QMenuBar;

// The application's delegate: the single-instance rule at launch, the main window, and the application
// menu (About, the update check, user guide, support, the maker's other products). The main window
// controller lives for the run; the About and update windows for one modal run each.
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

    // The menu bar, shown where the platform has a global one (as a Mac has).
    QMenuBar* mainMenu() const { return mainMenu_.get(); }
    QAction* checkUpMenuItem() const { return checkUpMenuItem_; }
    QAction* lineMenuItem() const { return lineMenuItem_; }
    MainWindowController* mainWindowController() const { return mainWindowController_.get(); }

private:
    void buildMainMenu();
    void openLink(const QString& linkKey);

    std::unique_ptr<QMenuBar> mainMenu_;
    QAction* checkUpMenuItem_ = nullptr;
    QAction* lineMenuItem_ = nullptr;
    std::unique_ptr<MainWindowController> mainWindowController_;
};
