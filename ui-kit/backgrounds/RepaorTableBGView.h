#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The white rounded ground of a table.
class RepaorTableBGView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit RepaorTableBGView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
