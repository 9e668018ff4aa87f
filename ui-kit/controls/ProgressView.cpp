#include "ui-kit/controls/ProgressView.h"

#include "ui-kit/getColor.h"

QList<DrawnShape> ProgressView::barShapes(const QSizeF& size, float filledWidth) const {
    return {DrawnShape::fill({0, 0, size.width(), 6}, 3, getColor(207, 222, 250, 1)),
            DrawnShape::fill({0, 0, filledWidth, 6}, 3, getColor(78, 109, 255, 1))};
}
