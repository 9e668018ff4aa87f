#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The white ground of a text field, with a light blue border.
class TextFiledBgView : public DrawnBackgroundView {
public:
    explicit TextFiledBgView(QWidget* parent = nullptr) : DrawnBackgroundView(parent) {}
    QList<DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
