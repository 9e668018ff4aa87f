#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A pale blue rounded panel.
class PopBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit PopBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
