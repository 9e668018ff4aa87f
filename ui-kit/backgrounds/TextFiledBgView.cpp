#include "ui-kit/backgrounds/TextFiledBgView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"

QList<DrawnShape> TextFiledBgView::backgroundShapes(const QSizeF& size) const {
    const QRectF base(QPointF(0, 0), size);
    return {DrawnShape::fill(base, 4, getColor(255, 255, 255, 1)),
            DrawnShape::stroke(cocoa::insetRect(base, 0.5, 0.5), 4, getColor(184, 196, 255, 1), 1)};
}
