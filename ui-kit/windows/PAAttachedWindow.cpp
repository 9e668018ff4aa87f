#include "ui-kit/windows/PAAttachedWindow.h"

std::unique_ptr<PAAttachedWindow> PAAttachedWindow::initWithView(QWidget* view, const QPointF& point,
                                                                 QWidget* window, AttachedWindowSide side,
                                                                 float distance) {
    if (!view) {
        return nullptr;
    }
    return std::unique_ptr<PAAttachedWindow>(new PAAttachedWindow(view, point, window, side, distance));
}

PAAttachedWindow::PAAttachedWindow(QWidget* view, const QPointF& point, QWidget* window,
                                   AttachedWindowSide side, float distance)
    : kit::AttachedWindowBase<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setWindowOpacity(1.0);
    Defaults defaults;
    defaults.windowBackground = Qt::transparent;
    defaults.fillColor = QColor(Qt::white);
    defaults.borderColor = Qt::white;
    defaults.borderWidth = 0.2f;
    defaults.style = {.viewMargin = 2,
                      .arrowBaseWidth = 0,
                      .arrowHeight = 0,
                      .cornerRadius = 8,
                      .hasArrow = true,
                      .drawsRoundCornerBesideArrow = true};
    attachView(view, point, window, side, distance, defaults);
}
