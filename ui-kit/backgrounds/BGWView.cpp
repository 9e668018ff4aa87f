#include "ui-kit/backgrounds/BGWView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Palette.h"

QList<kit::DrawnShape> BGWView::backgroundShapes(const QSizeF& size) const {
    const QColor light = kit::paleBlue();
    return {kit::DrawnShape::fill(kit::insetRect({0, 518, 888, 40}, 0.5, 0.5), 0, light),
            kit::DrawnShape::fill(kit::insetRect(QRectF(QPointF(0, 0), size), 0.5, 0.5), 16, light)};
}
