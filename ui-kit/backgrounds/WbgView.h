#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A white panel with corners rounded by 16 points.
class WbgView : public DrawnBackgroundView {
public:
    explicit WbgView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
