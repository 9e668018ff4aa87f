#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The blue left column of the main window; on its 112 x 558 view the top corners come out square.
class LeftBgView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit LeftBgView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}
    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;
};
