#include "ui-kit/backgrounds/SelectBgView.h"

#include "ui-kit/HoverArea.h"

#include <QMouseEvent>

SelectBgView::SelectBgView(QWidget* parent) : QWidget(parent) {
    // One tracking area for the view's life: a new one at every redraw would report each entry many times.
    new kit::HoverArea(
        this,
        [this] {
            if (delegate_) {
                delegate_->mouseInSelectBgView(true);
            }
        },
        [this] {
            if (delegate_) {
                delegate_->mouseInSelectBgView(false);
            }
        });
}

void SelectBgView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (delegate_) {
        delegate_->mouseDownAction();
    }
}
