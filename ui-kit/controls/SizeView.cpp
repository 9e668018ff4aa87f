#include "ui-kit/controls/SizeView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/getColor.h"

void SizeView::setSizeFloat(float percent) {
    pointSize_ = static_cast<float>(percent * width() / 100.0);
}

QList<kit::DrawnShape> SizeView::backgroundShapes(const QSizeF& size) const {
    // A zero length insets to a negative width, which draws no bar.
    return {kit::DrawnShape::fill(kit::insetRect(QRectF(QPointF(0, 0), size), 0.5, 0.5), 3,
                                  getColor(215, 220, 231, 1)),
            kit::DrawnShape::fill(kit::insetRect(QRectF(0, 0, pointSize_, 6), 0.5, 0.5), 3,
                                  getColor(107, 146, 242, 1))};
}
