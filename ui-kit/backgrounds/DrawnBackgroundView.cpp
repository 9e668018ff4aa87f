#include "ui-kit/backgrounds/DrawnBackgroundView.h"

#include <QPainter>

DrawnBackgroundView::DrawnBackgroundView(QWidget* parent) : QWidget(parent) {}

void DrawnBackgroundView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintDrawnShapes(painter, backgroundShapes(size()), height());
}
