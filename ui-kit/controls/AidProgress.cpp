#include "ui-kit/controls/AidProgress.h"

#include "ui-kit/getColor.h"

QList<kit::DrawnShape> AidProgress::barShapes(const QSizeF& size, float filledWidth) const {
    return {kit::DrawnShape::fill({0, 0, size.width(), size.height()}, 3.5, getColor(37, 47, 57, 1)),
            kit::DrawnShape::fill({0, 0, filledWidth, size.height()}, 3.5, getColor(95, 130, 252, 1))};
}
