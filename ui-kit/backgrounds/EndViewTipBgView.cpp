#include "ui-kit/backgrounds/EndViewTipBgView.h"

#include "ui-kit/getColor.h"

QList<kit::DrawnShape> EndViewTipBgView::backgroundShapes(const QSizeF& size) const {
    return {kit::DrawnShape::stroke(QRectF(QPointF(0, 0), size), 4, getColor(230, 230, 235, 1), 2, {5, 5})};
}
