#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The main window's top band: a light strip beside the blue left column.
class TopBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit TopBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
