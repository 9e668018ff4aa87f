#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

namespace kit {

// Lets a left-button drag on a view move the view's window: the view's own presses, and those its children
// leave unhandled, which Qt passes on to it (a window movable by its background, an image that moves its
// window, a title bar). The window follows the pointer's screen position from where the press began.
class WindowMover : public QObject {
    Q_OBJECT

public:
    // `canMove` is asked at each press; a window it refuses is not moved by that drag, and the press goes on
    // to the view's parent.
    explicit WindowMover(QWidget* view, std::function<bool()> canMove = {});
    bool isDragging() const { return dragging_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* view_;
    std::function<bool()> canMove_;
    bool dragging_ = false;
    QPoint pressGlobal_;
    QPoint windowOrigin_;
};

}  // namespace kit
