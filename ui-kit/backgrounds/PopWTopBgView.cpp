#include "ui-kit/backgrounds/PopWTopBgView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"

QList<kit::DrawnShape> PopWTopBgView::backgroundShapes(const QSizeF& size) const {
    const QRectF base(QPointF(0, 0), size);
    const QColor white = getColor(255, 255, 255, 1);
    return {kit::DrawnShape::fill(kit::insetRect(base, 0.5, 0.5), 16, white),
            kit::DrawnShape::fill(kit::insetRect({0, -2, size.width(), 12}, 0.5, 0.5), 0, white)};
}
