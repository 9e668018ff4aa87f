#include "ui-kit/controls/ProgressView.h"

#include "ui-kit/Palette.h"

QList<kit::DrawnShape> ProgressView::barShapes(const QSizeF& size, float filledWidth) const {
    return {kit::DrawnShape::fill({0, 0, size.width(), 6}, 3, kit::barTrack()),
            kit::DrawnShape::fill({0, 0, filledWidth, 6}, 3, kit::barFill())};
}
