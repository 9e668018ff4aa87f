#include "ui-kit/controls/DiskListView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/HoverArea.h"
#include "ui-kit/Palette.h"
#include "ui-kit/backgrounds/DrawnShape.h"

#include <QMouseEvent>
#include <QPainter>

DiskListView::DiskListView(QWidget* parent) : QWidget(parent) {
    hoverArea_ = new kit::HoverArea(
        this,
        [this] {
            mouseIn_ = true;
            if (delegate_) {
                delegate_->mouseInView();
            }
            update();
        },
        [this] {
            mouseIn_ = false;
            if (delegate_) {
                delegate_->mouseOutView();
            }
            update();
        });
}

// A tile replaced under the pointer hides as its QWidget part goes: that exit is not this view's any more.
DiskListView::~DiskListView() {
    removeEventFilter(hoverArea_);
}

QRectF DiskListView::highlightRect() {
    return kit::insetRect({15, 5, 320, 56}, 0.5, 0.5);
}

void DiskListView::paintEvent(QPaintEvent* /*event*/) {
    if (mouseIn_) {
        QPainter painter(this);
        kit::paintDrawnShapes(painter, {kit::DrawnShape::fill(highlightRect(), 8, kit::rowHighlight())},
                              height());
    }
}

void DiskListView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (delegate_) {
        delegate_->doSelectDisk();
    }
}
