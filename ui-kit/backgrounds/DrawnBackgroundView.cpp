#include "ui-kit/backgrounds/DrawnBackgroundView.h"

#include <QPainter>

namespace kit {

DrawnBackgroundView::DrawnBackgroundView(QWidget* parent) : QWidget(parent) {}

void DrawnBackgroundView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintDrawnShapes(painter, backgroundShapes(size()), height());
}

}  // namespace kit
