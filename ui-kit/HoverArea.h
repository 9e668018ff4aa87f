#pragma once

#include <QObject>
#include <QPointF>

#include <functional>

class QWidget;

namespace kit {

// A tracking area over a view's bounds: tells the view's class when the pointer enters, moves inside
// and leaves. The area starts with the pointer outside (not assumed inside), reports each entry and each
// exit once, in turn, and lives as long as its view (it is the view's child). A view needs one area: a
// second one installed for the same view would report every entry twice.
class HoverArea : public QObject {
    Q_OBJECT

public:
    // `moved` is optional; it asks the view for mouse tracking.
    HoverArea(QWidget* view, std::function<void()> entered, std::function<void()> exited,
              std::function<void(QPointF)> moved = {});
    bool isInside() const { return inside_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* view_;
    std::function<void()> entered_;
    std::function<void()> exited_;
    std::function<void(QPointF)> moved_;
    bool inside_ = false;
};

}  // namespace kit
