#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A dashed grey outline; the outer half of its 2-point line falls outside the view and is clipped.
class EndViewTipBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit EndViewTipBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
