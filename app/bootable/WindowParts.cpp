#include "app/bootable/WindowParts.h"

#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace bootable {

std::unique_ptr<TCImageWindow> makeDialogWindow(const QSizeF& contentSize) {
    auto window = std::make_unique<TCImageWindow>(contentSize);  // clear, and movable by its background
    auto* cap = new PopWTopBgView(window->titleBarView());       // owned by the title bar view
    kit::setCocoaFrame(cap, QRectF(0, -10, contentSize.width(), 40));
    cap->lower();
    kit::setCocoaFrame(new PopWBgView(window->contentView()), QRectF(QPointF(0, 0), contentSize));
    return window;
}

QLabel* addDialogLabel(QWidget* parent, const QRectF& frame, int pixelSize, bool bold) {
    auto* label = new QLabel(parent);  // owned by the parent
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(kit::systemFont(pixelSize, bold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, getColor(79, 79, 98, bold ? 1 : 0.8F));
    label->setPalette(palette);
    kit::setCocoaFrame(label, frame);
    return label;
}

void onCloseButton(TCImageWindow* window, std::function<void()> action) {
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(window->standardWindowButton(0))) {
        close->setAction(std::move(action));
    }
}

}  // namespace bootable
