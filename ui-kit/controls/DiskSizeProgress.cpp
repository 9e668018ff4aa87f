#include "ui-kit/controls/DiskSizeProgress.h"

#include "ui-kit/Palette.h"

QList<kit::DrawnShape> DiskSizeProgress::barShapes(const QSizeF& size, float filledWidth) const {
    return {kit::DrawnShape::fill({0, 0, size.width(), size.height()}, 2, kit::barTrack()),
            kit::DrawnShape::fill({0, 0, filledWidth, size.height()}, 2, kit::barFill())};
}
