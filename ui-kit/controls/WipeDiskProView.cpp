#include "ui-kit/controls/WipeDiskProView.h"

#include "ui-kit/Palette.h"

QList<kit::DrawnShape> WipeDiskProView::barShapes(const QSizeF& size, float filledWidth) const {
    return {kit::DrawnShape::fill({0, 0, size.width(), 4}, 2, kit::barTrack()),
            kit::DrawnShape::fill({0, 0, filledWidth, 4}, 2, kit::blue())};
}
