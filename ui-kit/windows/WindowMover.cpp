#include "ui-kit/windows/WindowMover.h"

#include <QMouseEvent>
#include <QWidget>

namespace kit {

WindowMover::WindowMover(QWidget* view, std::function<bool()> canMove)
    : QObject(view), view_(view), canMove_(std::move(canMove)) {
    view->installEventFilter(this);
}

bool WindowMover::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || (canMove_ && !canMove_())) {
                return false;
            }
            dragging_ = true;
            pressGlobal_ = mouse->globalPosition().toPoint();
            windowOrigin_ = view_->window()->pos();
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!dragging_ || !(mouse->buttons() & Qt::LeftButton)) {
                return false;
            }
            view_->window()->move(windowOrigin_ + (mouse->globalPosition().toPoint() - pressGlobal_));
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (dragging_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                dragging_ = false;
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace kit
