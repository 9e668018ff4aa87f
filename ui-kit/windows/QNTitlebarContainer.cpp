#include "ui-kit/windows/QNTitlebarContainer.h"

#include "ui-kit/windows/WindowMover.h"

QNTitlebarContainer::QNTitlebarContainer(QWidget* window) : QWidget(window) {
    new kit::WindowMover(this, [this] { return !this->window()->isFullScreen(); });
}

void QNTitlebarContainer::setTitleBarView(QWidget* view) {
    titleBarView_ = view;
    view->setParent(this);
    view->setGeometry(rect());
    view->show();
}

void QNTitlebarContainer::resizeEvent(QResizeEvent* event) {
    if (titleBarView_) {
        titleBarView_->setGeometry(rect());
    }
    QWidget::resizeEvent(event);
}
