#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The pale blue ground of the About window's version line.
class AboutVersionBgView : public DrawnBackgroundView {
public:
    explicit AboutVersionBgView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
