#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A pale blue rounded panel.
class PopBgView : public DrawnBackgroundView {
public:
    explicit PopBgView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
