#include "ui-kit/HoverArea.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace kit {

HoverArea::HoverArea(QWidget* view, std::function<void()> entered, std::function<void()> exited,
                     std::function<void(QPointF)> moved)
    : QObject(view),
      view_(view),
      entered_(std::move(entered)),
      exited_(std::move(exited)),
      moved_(std::move(moved)) {
    if (moved_) {
        view->setMouseTracking(true);
    }
    view->installEventFilter(this);
}

bool HoverArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Enter:
            if (!inside_) {
                inside_ = true;
                if (entered_) {
                    entered_();
                }
            }
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            if (inside_) {
                inside_ = false;
                if (exited_) {
                    exited_();
                }
            }
            break;
        case QEvent::MouseMove:
            if (inside_ && moved_) {
                moved_(static_cast<QMouseEvent*>(event)->position());
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace kit
