#include "app/sources/DialogParts.h"

#include "app/sources/ViewParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace sources {

std::unique_ptr<TCImageWindow> makeDialogWindow(const QSizeF& contentSize, TitleBar titleBar) {
    auto window = std::make_unique<TCImageWindow>(contentSize);  // clear, and movable by its background
    if (titleBar == TitleBar::Slim) {
        // Before the cap is placed: its frame counts from the title bar's height.
        window->setTitleBarHeight(22);
        window->setTrafficLightButtonsLeftMargin(15);
        window->setTopButtonMoveUp(-5);
    }
    auto* cap = new PopWTopBgView(window->titleBarView());  // owned by the title bar view
    kit::setCocoaFrame(cap, QRectF(0, -10, contentSize.width(), 40));
    cap->lower();
    auto* background = new PopWBgView(window->contentView());  // owned by the content view
    kit::setCocoaFrame(background, QRectF(QPointF(0, 0), contentSize));
    return window;
}

QLabel* addDialogLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold, const QString& text) {
    QLabel* label = addLabel(parent, frame, pixelSize, textColor(bold ? 1 : 0.8));
    label->setFont(kit::systemFont(pixelSize, bold));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setText(text);
    return label;
}

void onCloseButton(TCImageWindow* window, std::function<void()> action) {
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(window->standardWindowButton(0))) {
        close->setAction(std::move(action));
    }
}

void closeModalWindow(TCImageWindow* window) {
    window->close();
    kit::ModalRun::stopModal(window);
}

}  // namespace sources
