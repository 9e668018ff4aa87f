#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A white panel with corners rounded by 16 points.
class WbgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit WbgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
