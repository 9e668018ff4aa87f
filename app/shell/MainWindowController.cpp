#include "app/shell/MainWindowController.h"

#include "app/bootable/SelectDrivceViewController.h"
#include "app/copy/DiskCopyViewController.h"
#include "app/disk-tool/RepairDiskViewController.h"
#include "app/image/DmgViewController.h"
#include "app/shell/ApplicationMenuButton.h"
#include "app/shell/StartUp.h"
#include "platform/LogCategories.h"
#include "platform/UserDefaults.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/NamedImage.h"
#include "ui-kit/Palette.h"
#include "ui-kit/backgrounds/BGWView.h"
#include "ui-kit/backgrounds/LeftBgView.h"
#include "ui-kit/backgrounds/MainTipBgView.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/LeftButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPropertyAnimation>

#include <cstdlib>

namespace {

const QString kOpen = QStringLiteral("Open");
const QString kClose = QStringLiteral("Close");

constexpr QRectF kContainerFrame{112, 0, 776, 558};
constexpr QRectF kTopImageFrame{0, 0, 888, 25};
constexpr QRectF kLogoFrame{21, 461, 72, 59};
constexpr double kSeparatorYs[] = {81, 168, 269, 349, 436};
// Inside the tip panel (its own Cocoa coordinates): the handle that toggles it, then the tip.
constexpr QRectF kTipButtonFrame{0, 0, 12, 24};
constexpr QRectF kTipTextFrame{12, 0, 406, 24};
// In the title bar, at its right end, level with the traffic lights.
constexpr QRectF kMenuButtonFrame{852, 0, 28, 25};

// An image view: the image at its own size, centred in the frame; a missing image leaves it empty.
QLabel* addImageView(QWidget* parent, const QRectF& frame, const QString& imageName) {
    auto* view = new QLabel(parent);
    view->setAlignment(Qt::AlignCenter);
    view->setPixmap(kit::NamedImage::imageNamed(imageName).pixmap());
    kit::setCocoaFrame(view, frame);
    return view;
}

// A plain strip of colour.
void addSeamFiller(QWidget* parent, const QRectF& frame, const QColor& color) {
    auto* strip = new QWidget(parent);
    QPalette palette = strip->palette();
    palette.setColor(QPalette::Window, color);
    strip->setPalette(palette);
    strip->setAutoFillBackground(true);
    kit::setCocoaFrame(strip, frame);
}

QWidget* addContainer(QWidget* contentView) {
    auto* container = new QWidget(contentView);
    kit::setCocoaFrame(container, kContainerFrame);
    return container;
}

template <typename Screen>
Screen* addScreen(QWidget* container) {
    auto* screen = new Screen(container);  // kept for the whole run
    screen->setGeometry(container->rect());
    return screen;
}

}  // namespace

MainWindowController::MainWindowController() = default;

MainWindowController::~MainWindowController() = default;

TCImageWindow* MainWindowController::window() {
    if (!aWindow) {
        loadWindow();
        windowDidLoad();
    }
    return aWindow.get();
}

void MainWindowController::loadWindow() {
    aWindow = std::make_unique<TCImageWindow>(
        QSizeF(kContentSize.width(),
               kContentSize.height() + kTitleBarHeight - TCImageWindow::_minimumTitlebarHeight()));
    aWindow->setFixedSize(aWindow->size());  // a fixed layout: the zoom button must not stretch it
    aWindow->setTitle(QStringLiteral("Tavrun"));
    aWindow->setTitleBarHeight(kTitleBarHeight);
    QWidget* content = aWindow->contentView();
    kit::setCocoaFrame(new BGWView(content), QRectF(QPointF(0, 0), kContentSize));
    kit::setCocoaFrame(new LeftBgView(content), QRectF(0, 0, 112, kContentSize.height()));
    // The backgrounds' drawn top edge leaves their first row of pixels half clear, right under the title
    // bar: the same colours over that row close the seam.
    addSeamFiller(content, QRectF(0, kContentSize.height() - 1, 112, 1), kit::blue());
    addSeamFiller(content, QRectF(112, kContentSize.height() - 1, kContentSize.width() - 112, 1),
                  kit::paleBlue());
    diskCopyView_ = addContainer(content);
    cloneOSView_ = addContainer(content);
    dmgView_ = addContainer(content);
    diskTool_ = addContainer(content);
    cloneOSView_->hide();
    dmgView_->hide();
    diskTool_->hide();

    animatedView_ = new MainTipBgView(content);  // above the screens
    kit::setCocoaFrame(animatedView_, kTipOpenFrame);
    tipBut_ =
        kit::addImageButton(animatedView_, kTipButtonFrame, QStringLiteral("btn_tool"), QStringLiteral("i"));
    auto* tip =
        new QLabel(QStringLiteral("Tip: switching tabs never stops a job that is running."), animatedView_);
    tip->setFont(kit::systemFont(12));
    tip->setIndent(8);
    tip->setStyleSheet(
        QStringLiteral("QLabel { color: #4F4F62; background: #FFFFFF; border: 1px solid #D3DCF5;"
                       " border-left: none; border-top-right-radius: 6px;"
                       " border-bottom-right-radius: 6px; }"));
    kit::setCocoaFrame(tip, kTipTextFrame);
}

void MainWindowController::windowDidLoad() {
    titleBarView = aWindow->titleBarView();
    aWindow->setTitleBarHeight(kTitleBarHeight);
    aWindow->setTrafficLightButtonsLeftMargin(28);
    aWindow->setTopButtonMoveUp(-5);
    // A hidden window's title bar view takes the new height only when the window shows; views are placed
    // in it by that height, so it takes it now.
    titleBarView->resize(titleBarView->parentWidget()->size());
    addImageView(titleBarView, kTopImageFrame, QStringLiteral("top"));
    titleLabel_ = new QLabel(aWindow->windowTitle(), titleBarView);
    titleLabel_->setFont(kit::systemFont(12));
    titleLabel_->setAlignment(Qt::AlignCenter);
    titleLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);  // the title bar moves the window
    QPalette palette = titleLabel_->palette();
    palette.setColor(QPalette::WindowText, kit::darkText());
    titleLabel_->setPalette(palette);
    kit::setCocoaFrame(titleLabel_, QRectF(112, 0, kContentSize.width() - 112, kTitleBarHeight));

    addWindowTitle();
    addBaseView();
    addCloneView();
    addDmgView();
    addDiskToolView();

    const QVariant opened = platform::UserDefaults::objectForKey(kTipDefault);
    if (!opened.isValid()) {
        platform::UserDefaults::setObject(kOpen, kTipDefault);
    } else if (opened.toString() == kClose) {
        setAnimatedViewFrame(QRectF(855, animatedViewFrame().y(), kTipClosedWidth, 24));
    }
    connect(tipBut_, &QAbstractButton::clicked, this, &MainWindowController::performShrinkAnimation);
    tipBut_->setButtonEnabled(true);

    if (auto* close = qobject_cast<kit::StandardWindowButton*>(aWindow->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
}

void MainWindowController::addWindowTitle() {
    QWidget* content = aWindow->contentView();
    addImageView(content, kLogoFrame, QStringLiteral("Leftlogo"));
    for (const double y : kSeparatorYs) {
        addImageView(content, QRectF(16, y, 80, 1), QStringLiteral("line"));
    }
    tab_diskclone_ =
        addTab(QRectF(1, 349, 112, 86), QStringLiteral("Copy Disk"), QStringLiteral("ic_filecopy"),
               QStringLiteral("ic_filecopy_sel"), &MainWindowController::TopCloneButtonAction);
    tab_cloneOS_ = addTab(QRectF(1, 270, 112, 86), QStringLiteral("Clone OS"), QStringLiteral("ic_os_icon"),
                          QStringLiteral("ic_os_icon_sel"), &MainWindowController::cloneOSButtonAction);
    tab_createImage_ =
        addTab(QRectF(1, 170, 112, 100), QStringLiteral("Create Disk Image"), QStringLiteral("ic_dmg"),
               QStringLiteral("ic_dmg_sel"), &MainWindowController::TopDmgButtonAction);
    tab_disktool_ = addTab(QRectF(1, 82, 112, 86), QStringLiteral("Disk Tool"), QStringLiteral("ic_tool"),
                           QStringLiteral("ic_tool_sel"), &MainWindowController::TopDiskToolButtonAction);
    tab_diskclone_->setButtonAction(true);
    animatedView_->raise();
}

LeftButton* MainWindowController::addTab(const QRectF& frame, const QString& text, const QString& normal,
                                         const QString& selected, void (MainWindowController::*action)()) {
    auto* tab = new LeftButton(aWindow->contentView());
    kit::setCocoaFrame(tab, frame);
    tab->setButtonEnabled(true);
    tab->setImageFromFileNormalName(normal, selected);
    tab->setTextWithName(text);
    connect(tab, &QAbstractButton::clicked, this, action);
    return tab;
}

void MainWindowController::addBaseView() {
    diskCopyVC_ = addScreen<DiskCopyViewController>(diskCopyView_);
}

void MainWindowController::addCloneView() {
    cloneOSVC_ = addScreen<SelectDrivceViewController>(cloneOSView_);
}

void MainWindowController::addDmgView() {
    dmgVC_ = addScreen<DmgViewController>(dmgView_);
}

void MainWindowController::addDiskToolView() {
    repairDiskVC_ = addScreen<RepairDiskViewController>(diskTool_);
    repairDiskVC_->loadData();
}

void MainWindowController::showTab(LeftButton* tab, QWidget* container) {
    for (LeftButton* each : {tab_diskclone_, tab_cloneOS_, tab_createImage_, tab_disktool_}) {
        each->setButtonAction(each == tab);
    }
    for (QWidget* each : {diskCopyView_, cloneOSView_, dmgView_, diskTool_}) {
        each->setHidden(each != container);
    }
}

void MainWindowController::TopCloneButtonAction() {
    showTab(tab_diskclone_, diskCopyView_);
}

void MainWindowController::cloneOSButtonAction() {
    showTab(tab_cloneOS_, cloneOSView_);
}

void MainWindowController::TopDmgButtonAction() {
    showTab(tab_createImage_, dmgView_);
}

void MainWindowController::TopDiskToolButtonAction() {
    showTab(tab_disktool_, diskTool_);
}

QRectF MainWindowController::tipPanelFrame(const QRectF& current, double targetWidth) {
    return {current.x() + current.width() - targetWidth, current.y(), targetWidth, current.height()};
}

QRectF MainWindowController::animatedViewFrame() const {
    return kit::cocoaRect(QRectF(animatedView_->geometry()), animatedView_->parentWidget()->height());
}

void MainWindowController::setAnimatedViewFrame(const QRectF& frame) {
    kit::setCocoaFrame(animatedView_, frame);
}

void MainWindowController::performShrinkAnimation() {
    const QRectF current = animatedViewFrame();
    double target = kTipClosedWidth;
    if (platform::UserDefaults::objectForKey(kTipDefault).toString() == kClose) {
        platform::UserDefaults::setObject(kOpen, kTipDefault);
        animatedView_->setHidden(false);
        target = kTipOpenWidth;
    } else {
        platform::UserDefaults::setObject(kClose, kTipDefault);
    }
    if (!tipAnimation_) {
        tipAnimation_ = new QPropertyAnimation(animatedView_, "geometry", this);
        connect(tipAnimation_, &QPropertyAnimation::finished, this, [] { qCInfo(lcApp) << "缩小动画完成"; });
    }
    // A toggle during a slide starts from where the panel is now.
    tipAnimation_->stop();
    tipAnimation_->setDuration(kTipAnimationMs);
    tipAnimation_->setStartValue(animatedView_->geometry());
    tipAnimation_->setEndValue(
        kit::cocoaRect(tipPanelFrame(current, target), animatedView_->parentWidget()->height()).toRect());
    tipAnimation_->start();
}

void MainWindowController::setApplicationMenu(QMenu* menu) {
    applicationMenuButton_ = new shell::ApplicationMenuButton(titleBarView);  // owned by the title bar view
    applicationMenuButton_->setMenu(menu);
    kit::setCocoaFrame(applicationMenuButton_, kMenuButtonFrame);
    applicationMenuButton_->show();
    aWindow->addActions(menu->actions());     // their shortcuts work in the window
    auto* open = new QAction(aWindow.get());  // owned by the window
    open->setShortcut(Qt::Key_F10);
    connect(open, &QAction::triggered, applicationMenuButton_, &QPushButton::showMenu);
    aWindow->addAction(open);
}

void MainWindowController::closeWindow() {
    shell::endToolsAndWorkers();
    std::exit(0);
}
