#include "ui-kit/windows/PopBaseWindow.h"

#include "ui-kit/windows/WindowMover.h"

#include <QCloseEvent>
#include <QWindowStateChangeEvent>

PopBaseWindow::PopBaseWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    new kit::WindowMover(this);
}

void PopBaseWindow::windowDidDeminiaturize() {
    update();
}

void PopBaseWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closing_) {
        return;
    }
    closing_ = true;
    windowWillClose();
}

void PopBaseWindow::showEvent(QShowEvent* event) {
    closing_ = false;  // shown again: the next close is a new one
    QWidget::showEvent(event);
}

void PopBaseWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized)) {
            windowDidDeminiaturize();
        }
    }
    QWidget::changeEvent(event);
}
