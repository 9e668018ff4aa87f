#include "ui-kit/controls/ProgressView.h"

#include "ui-kit/getColor.h"

QList<kit::DrawnShape> ProgressView::barShapes(const QSizeF& size, float filledWidth) const {
    return {kit::DrawnShape::fill({0, 0, size.width(), 6}, 3, getColor(207, 222, 250, 1)),
            kit::DrawnShape::fill({0, 0, filledWidth, 6}, 3, getColor(78, 109, 255, 1))};
}
