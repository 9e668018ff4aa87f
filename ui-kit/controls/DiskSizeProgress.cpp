#include "ui-kit/controls/DiskSizeProgress.h"

#include "ui-kit/getColor.h"

QList<kit::DrawnShape> DiskSizeProgress::barShapes(const QSizeF& size, float filledWidth) const {
    return {kit::DrawnShape::fill({0, 0, size.width(), size.height()}, 2, getColor(207, 222, 250, 1)),
            kit::DrawnShape::fill({0, 0, filledWidth, size.height()}, 2, getColor(78, 109, 255, 1))};
}
