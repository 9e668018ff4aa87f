#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The pale blue ground of the About window's version line.
class AboutVersionBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit AboutVersionBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
