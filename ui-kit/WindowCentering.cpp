#include "ui-kit/WindowCentering.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centerWindow(QWidget* window) {
    if (!window) {
        return;
    }
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect visible = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    const int x = visible.x() + (visible.width() - size.width()) / 2;
    const int y = visible.y() + (visible.height() - size.height()) / 3;
    window->move(x, y);
}
