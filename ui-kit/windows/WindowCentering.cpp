#include "ui-kit/windows/WindowCentering.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kit {

QRect centeredFrame(const QRect& available, const QSize& size) {
    const int x = available.left() + std::max(0, (available.width() - size.width()) / 2);
    const int y = available.top() + std::max(0, (available.height() - size.height()) / 3);
    return {QPoint(x, y), size};
}

void centerWindow(QWidget* window) {
    if (!window) {
        return;
    }
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    window->move(centeredFrame(screen->availableGeometry(), window->frameGeometry().size()).topLeft());
}

}  // namespace kit
