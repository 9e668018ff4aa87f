#include "app/sources/DialogParts.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QFontMetrics>
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
    auto* cap = new PopWTopBgView(window->titleBarView());
    kit::setCocoaFrame(cap, QRectF(0, -10, contentSize.width(), 40));
    cap->lower();
    auto* background = new PopWBgView(window->contentView());
    kit::setCocoaFrame(background, QRectF(QPointF(0, 0), contentSize));
    return window;
}

kit::LabelStyle dialogText(int pixelSize, bool bold) {
    return {.pixelSize = pixelSize,
            .bold = bold,
            .color = kit::darkText(bold ? 1 : 0.8f),
            .alignment = Qt::AlignCenter,
            .wordWrap = true,
            .clickThrough = true};
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

QString elidedName(const QString& name, const QFont& font, int width) {
    return QFontMetrics(font).elidedText(name, Qt::ElideMiddle, width);
}

void showWithName(QLabel* label, const QString& pattern, const QString& name) {
    const int rest =
        label->wordWrap() ? 0 : QFontMetrics(label->font()).horizontalAdvance(pattern.arg(QString()));
    label->setText(pattern.arg(elidedName(name, label->font(), label->width() - rest)));
}

}  // namespace sources
