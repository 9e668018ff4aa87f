#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A white panel with square top corners and rounded bottom corners.
class PopWBgView : public DrawnBackgroundView {
public:
    explicit PopWBgView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
