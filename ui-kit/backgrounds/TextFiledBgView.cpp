#include "ui-kit/backgrounds/TextFiledBgView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Palette.h"
#include "ui-kit/getColor.h"

QList<kit::DrawnShape> TextFiledBgView::backgroundShapes(const QSizeF& size) const {
    const QRectF base(QPointF(0, 0), size);
    return {kit::DrawnShape::fill(base, 4, getColor(255, 255, 255, 1)),
            kit::DrawnShape::stroke(kit::insetRect(base, 0.5, 0.5), 4, kit::fieldBorder(), 1)};
}
