#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A white panel with four rounded corners.
class PopNoHeaderV : public DrawnBackgroundView {
public:
    explicit PopNoHeaderV(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
