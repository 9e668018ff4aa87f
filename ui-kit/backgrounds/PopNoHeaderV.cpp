#include "ui-kit/backgrounds/PopNoHeaderV.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"

QList<kit::DrawnShape> PopNoHeaderV::backgroundShapes(const QSizeF& size) const {
    return {kit::DrawnShape::fill(kit::insetRect(QRectF(QPointF(0, 0), size), 0.5, 0.5), 16,
                                  getColor(255, 255, 255, 1))};
}
