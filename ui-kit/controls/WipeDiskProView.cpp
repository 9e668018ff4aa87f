#include "ui-kit/controls/WipeDiskProView.h"

#include "ui-kit/getColor.h"

QList<kit::DrawnShape> WipeDiskProView::barShapes(const QSizeF& size, float filledWidth) const {
    return {kit::DrawnShape::fill({0, 0, size.width(), 4}, 2, getColor(207, 222, 250, 1)),
            kit::DrawnShape::fill({0, 0, filledWidth, 4}, 2, getColor(65, 98, 255, 1))};
}
