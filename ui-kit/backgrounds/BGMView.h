#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A very light grey panel with square corners.
class BGMView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit BGMView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
