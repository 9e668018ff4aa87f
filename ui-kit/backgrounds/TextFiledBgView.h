#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The white ground of a text field, with a light blue border.
class TextFiledBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit TextFiledBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
