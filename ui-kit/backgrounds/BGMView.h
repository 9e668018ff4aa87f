#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A very light grey panel with square corners.
class BGMView : public DrawnBackgroundView {
public:
    explicit BGMView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
