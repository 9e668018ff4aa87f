#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A white panel with four rounded corners.
class PopNoHeaderV : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit PopNoHeaderV(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
