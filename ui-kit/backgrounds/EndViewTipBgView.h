#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A dashed grey outline; the outer half of its 2-point line falls outside the view and is clipped.
class EndViewTipBgView : public DrawnBackgroundView {
public:
    explicit EndViewTipBgView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
