#include "ui-kit/backgrounds/AboutVersionBgView.h"

#include "ui-kit/getColor.h"

QList<kit::DrawnShape> AboutVersionBgView::backgroundShapes(const QSizeF& size) const {
    return {kit::DrawnShape::fill(QRectF(QPointF(0, 0), size), 4, getColor(211, 231, 255, 1))};
}
