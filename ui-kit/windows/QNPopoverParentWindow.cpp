#include "ui-kit/windows/QNPopoverParentWindow.h"

#include "ui-kit/windows/ChildWindows.h"
#include "ui-kit/windows/QNPopoverWindow.h"

#include <QApplication>

QNPopoverParentWindow::QNPopoverParentWindow(QWidget* parent) : QWidget(parent, Qt::Window) {}

bool QNPopoverParentWindow::isKeyWindow() const {
    if (isReallyKeyWindow()) {
        return true;
    }
    for (QWidget* child : kit::ChildWindows::childWindows(this)) {
        if (qobject_cast<QNPopoverWindow*>(child)) {
            return QApplication::activeWindow() != nullptr;
        }
    }
    return false;
}
