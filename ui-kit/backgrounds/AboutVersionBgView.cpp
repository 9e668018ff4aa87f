#include "ui-kit/backgrounds/AboutVersionBgView.h"

#include "ui-kit/getColor.h"

QList<DrawnShape> AboutVersionBgView::backgroundShapes(const QSizeF& size) const {
    return {DrawnShape::fill(QRectF(QPointF(0, 0), size), 4, getColor(211, 231, 255, 1))};
}
