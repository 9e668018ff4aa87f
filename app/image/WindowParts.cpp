#include "app/image/WindowParts.h"

#include "app/sources/ViewParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace image {

std::unique_ptr<TCImageWindow> makeDialogWindow(const QSizeF& contentSize) {
    auto window = std::make_unique<TCImageWindow>(contentSize);
    window->setTitleBarHeight(22);
    window->setTrafficLightButtonsLeftMargin(15);
    window->setTopButtonMoveUp(-5);
    auto* cap = new PopWTopBgView(window->titleBarView());  // owned by the title bar view
    kit::setCocoaFrame(cap, QRectF(0, -10, contentSize.width(), 40));
    cap->lower();
    auto* background = new PopWBgView(window->contentView());  // owned by the content view
    kit::setCocoaFrame(background, QRectF(QPointF(0, 0), contentSize));
    return window;
}

QLabel* addCentredLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold, const QString& text) {
    QLabel* label = sources::addLabel(parent, frame, pixelSize, sources::textColor(bold ? 1 : 0.8));
    label->setFont(kit::systemFont(pixelSize, bold));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setText(text);
    return label;
}

void setCloseAction(TCImageWindow* window, std::function<void()> action) {
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(window->standardWindowButton(0))) {
        close->setAction(std::move(action));
    }
}

}  // namespace image
