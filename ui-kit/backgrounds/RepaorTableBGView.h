#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The white rounded ground of a table.
class RepaorTableBGView : public DrawnBackgroundView {
public:
    explicit RepaorTableBGView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
