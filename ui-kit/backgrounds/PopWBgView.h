#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A white panel with square top corners and rounded bottom corners.
class PopWBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit PopWBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
