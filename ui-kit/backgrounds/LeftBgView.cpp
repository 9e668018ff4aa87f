#include "ui-kit/backgrounds/LeftBgView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Palette.h"

QList<kit::DrawnShape> LeftBgView::backgroundShapes(const QSizeF& size) const {
    const QColor blue = kit::blue();
    return {kit::DrawnShape::fill(kit::insetRect(QRectF(QPointF(0, 0), size), 0.5, 0.5), 16, blue),
            kit::DrawnShape::fill(kit::insetRect({0, 518, 112, 40}, 0.5, 0.5), 0, blue)};
}
