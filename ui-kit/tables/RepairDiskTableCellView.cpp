#include "ui-kit/tables/RepairDiskTableCellView.h"

#include "ui-kit/getColor.h"

QList<kit::DrawnShape> RepairDiskTableCellView::backgroundShapes(const QSizeF& /*size*/) const {
    const QColor color = isSelect_ ? getColor(0, 113, 255, 0.08f) : getColor(255, 255, 255, 1);
    return {kit::DrawnShape::fill({8, 0, 696, 88}, 8, color)};
}
