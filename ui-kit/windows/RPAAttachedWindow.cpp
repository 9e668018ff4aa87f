#include "ui-kit/windows/RPAAttachedWindow.h"

#include "ui-kit/Palette.h"

std::unique_ptr<RPAAttachedWindow> RPAAttachedWindow::initWithView(QWidget* view, const QPointF& point,
                                                                   QWidget* window, AttachedWindowSide side,
                                                                   float distance, float /*windowBgAlpha*/) {
    if (!view) {
        return nullptr;
    }
    return std::unique_ptr<RPAAttachedWindow>(new RPAAttachedWindow(view, point, window, side, distance));
}

RPAAttachedWindow::RPAAttachedWindow(QWidget* view, const QPointF& point, QWidget* window,
                                     AttachedWindowSide side, float distance)
    : kit::AttachedWindowBase<QWidget>(nullptr,
                                       Qt::Window | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
    Defaults defaults;
    defaults.windowBackground = QColor::fromRgbF(1, 1, 1, 0.2f);
    defaults.fillColor = QColor::fromRgbF(238 / 255.0f, 244 / 255.0f, 254 / 255.0f, 0.97f);
    defaults.borderColor = kit::fieldBorder();
    defaults.borderWidth = 1;
    defaults.style = {.viewMargin = 2,
                      .arrowBaseWidth = 0,
                      .arrowHeight = 0,
                      .cornerRadius = 6,
                      .hasArrow = true,
                      .drawsRoundCornerBesideArrow = true};
    attachView(view, point, window, side, distance, defaults);
}

void RPAAttachedWindow::closeMattachedWindow() {
    if (mattachedWDelegate_) {
        mattachedWDelegate_->closeMattachedWindow();
    }
}
