#include "ui-kit/backgrounds/TopBgView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Palette.h"

QList<kit::DrawnShape> TopBgView::backgroundShapes(const QSizeF& size) const {
    const qreal h = size.height();
    const QColor blue = kit::blue();
    return {kit::DrawnShape::fill(kit::insetRect({80, h - 100, 808, 100}, 0.5, 0.5), 16, kit::paleBlue()),
            kit::DrawnShape::fill(kit::insetRect({0, 0, 90, 20}, 0.5, 0.5), 16, blue),
            kit::DrawnShape::fill(kit::insetRect({0, h - 100, 112, 100}, 0.5, 0.5), 16, blue)};
}
