#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The white cap laid into a window's title bar: rounded top corners, square bottom corners.
class PopWTopBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit PopWTopBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
