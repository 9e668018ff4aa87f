#include "app/shell/PopupTitleBar.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace shell {

QLabel* dressPopupTitleBar(TCImageWindow* window, double titleBarHeight, double width) {
    QWidget* titleBarView = window->titleBarView();
    window->setTitleBarHeight(titleBarHeight);
    window->setTrafficLightButtonsLeftMargin(15);
    window->setTopButtonMoveUp(-5);
    // A hidden window's title bar view takes its height only when the window shows; views are placed in it
    // by that height, so it takes it now.
    titleBarView->resize(titleBarView->parentWidget()->size());
    kit::setCocoaFrame(new PopWTopBgView(titleBarView), QRectF(0, -10, width, 40));
    auto* title = new QLabel(window->windowTitle(), titleBarView);
    title->setFont(kit::systemFont(12));
    title->setAlignment(Qt::AlignCenter);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);  // the title bar moves the window
    title->setGeometry(titleBarView->rect());
    return title;
}

}  // namespace shell
