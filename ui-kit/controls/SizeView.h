#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// A capacity bar: a light track over the whole view and a blue bar 6 points high along its bottom.
class SizeView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit SizeView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}

    // The bar's length for a percentage of the view's current width. The view does not redraw by itself.
    void setSizeFloat(float percent);
    float pointSize() const { return pointSize_; }

    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;

private:
    float pointSize_ = 0;
};
