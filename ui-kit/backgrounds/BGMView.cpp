#include "ui-kit/backgrounds/BGMView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"

QList<kit::DrawnShape> BGMView::backgroundShapes(const QSizeF& size) const {
    return {kit::DrawnShape::fill(kit::insetRect(QRectF(QPointF(0, 0), size), 0.5, 0.5), 0,
                                  getColor(249, 250, 251, 1))};
}
