#include "ui-kit/backgrounds/PopBgView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"

QList<kit::DrawnShape> PopBgView::backgroundShapes(const QSizeF& size) const {
    return {kit::DrawnShape::fill(kit::insetRect(QRectF(QPointF(0, 0), size), 0.5, 0.5), 4,
                                  getColor(241, 246, 255, 1))};
}
