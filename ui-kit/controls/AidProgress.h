#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

// The First Aid output's bar: a dark track the full height of the view with a blue fill.
class AidProgress : public kit::DrawnProgressBar {
    Q_OBJECT

public:
    explicit AidProgress(QWidget* parent = nullptr) : kit::DrawnProgressBar(parent) {}
    QList<kit::DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
};
