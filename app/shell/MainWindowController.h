#pragma once

#include <QObject>
#include <QRectF>
#include <QString>

#include <memory>

class DiskCopyViewController;
class DmgViewController;
class LeftButton;
class MainTipBgView;
class QLabel;
class QMenu;
class QPropertyAnimation;
class RepairDiskViewController;
class SelectDrivceViewController;
class TCImageWindow;
class TextImageButton;
namespace shell {
class ApplicationMenuButton;
}

// The application's only main window: a drawn title bar, a left column with the logo and the four tabs,
// one container per screen and the sliding tip panel. The four screens are made when the window loads and
// stay for the whole run; a tab shows its own container and hides the other three, at any time, also while
// a screen works. Closing the window ends the process at once, and the tools it started with it. Where the
// desktop shows no global menu bar, the window gives the application menu from its title bar (also with F10)
// and the menu's shortcuts work in it.
//
// Geometry is in the window's Cocoa coordinates (origin bottom left): the content view is 888 x 558 points
// below a 25-point title bar.
class MainWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr QSizeF kContentSize{888, 558};
    static constexpr double kTitleBarHeight = 25;
    static constexpr double kTipOpenWidth = 418;
    static constexpr double kTipClosedWidth = 12;
    static constexpr QRectF kTipOpenFrame{449, 524, kTipOpenWidth, 24};  // right edge at x 867
    static constexpr int kTipAnimationMs = 1000;
    static inline const QString kTipDefault = QStringLiteral("MainTipOpened");

    MainWindowController();
    ~MainWindowController() override;
    MainWindowController(const MainWindowController&) = delete;
    MainWindowController& operator=(const MainWindowController&) = delete;

    // The window, loaded at the first call. It is not shown: the caller centres it and shows it.
    TCImageWindow* window();

    void TopCloneButtonAction();
    void cloneOSButtonAction();
    void TopDmgButtonAction();
    void TopDiskToolButtonAction();
    void performShrinkAnimation();
    [[noreturn]] void closeWindow();
    // The application menu, from a button at the title bar's right end; not owned.
    void setApplicationMenu(QMenu* menu);

    // The tip panel's frame after a toggle from `current`: the target width, with the right edge kept.
    static QRectF tipPanelFrame(const QRectF& current, double targetWidth);

    DiskCopyViewController* diskCopyVC() const { return diskCopyVC_; }
    DmgViewController* dmgVC() const { return dmgVC_; }
    RepairDiskViewController* repairDiskVC() const { return repairDiskVC_; }
    SelectDrivceViewController* cloneOSVC() const { return cloneOSVC_; }
    QWidget* dmgView() const { return dmgView_; }
    QWidget* diskCopyView() const { return diskCopyView_; }
    QWidget* diskTool() const { return diskTool_; }
    QWidget* cloneOSView() const { return cloneOSView_; }
    LeftButton* tab_diskclone() const { return tab_diskclone_; }
    LeftButton* tab_createImage() const { return tab_createImage_; }
    LeftButton* tab_disktool() const { return tab_disktool_; }
    LeftButton* tab_cloneOS() const { return tab_cloneOS_; }
    MainTipBgView* animatedView() const { return animatedView_; }
    TextImageButton* tipBut() const { return tipBut_; }
    shell::ApplicationMenuButton* applicationMenuButton() const { return applicationMenuButton_; }
    QLabel* titleLabel() const { return titleLabel_; }
    // The tip panel's frame in the content view's Cocoa coordinates.
    QRectF animatedViewFrame() const;

private:
    void loadWindow();
    void windowDidLoad();
    void addWindowTitle();
    void addBaseView();
    void addCloneView();
    void addDmgView();
    void addDiskToolView();
    LeftButton* addTab(const QRectF& frame, const QString& text, const QString& normal,
                       const QString& selected, void (MainWindowController::*action)());
    void showTab(LeftButton* tab, QWidget* container);
    void setAnimatedViewFrame(const QRectF& frame);

    std::unique_ptr<TCImageWindow> aWindow;
    QLabel* titleLabel_ = nullptr;
    QWidget* titleBarView = nullptr;
    DiskCopyViewController* diskCopyVC_ = nullptr;
    DmgViewController* dmgVC_ = nullptr;
    RepairDiskViewController* repairDiskVC_ = nullptr;
    SelectDrivceViewController* cloneOSVC_ = nullptr;
    QWidget* dmgView_ = nullptr;
    QWidget* diskCopyView_ = nullptr;
    QWidget* diskTool_ = nullptr;
    QWidget* cloneOSView_ = nullptr;
    LeftButton* tab_diskclone_ = nullptr;
    LeftButton* tab_createImage_ = nullptr;
    LeftButton* tab_disktool_ = nullptr;
    LeftButton* tab_cloneOS_ = nullptr;
    MainTipBgView* animatedView_ = nullptr;
    TextImageButton* tipBut_ = nullptr;
    QPropertyAnimation* tipAnimation_ = nullptr;
    shell::ApplicationMenuButton* applicationMenuButton_ = nullptr;
};
