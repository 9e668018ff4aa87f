#include "ui-kit/backgrounds/PopBgView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"

QList<DrawnShape> PopBgView::backgroundShapes(const QSizeF& size) const {
    return {DrawnShape::fill(cocoa::insetRect(QRectF(QPointF(0, 0), size), 0.5, 0.5), 4,
                             getColor(241, 246, 255, 1))};
}
