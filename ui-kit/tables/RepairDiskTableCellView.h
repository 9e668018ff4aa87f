#pragma once

#include "ui-kit/backgrounds/DrawnBackgroundView.h"

// The card behind one row of the Disk Tool's volume table: white, or light blue when its row is selected.
// The card is 88 points high from the view's bottom edge, so a shorter row shows only its lower part. The
// row's labels, buttons and fields are the view's children.
class RepairDiskTableCellView : public kit::DrawnBackgroundView {
    Q_OBJECT

public:
    explicit RepairDiskTableCellView(QWidget* parent = nullptr) : kit::DrawnBackgroundView(parent) {}

    // Only stores: the owner redraws.
    bool isSelect() const { return isSelect_; }
    void setIsSelect(bool select) { isSelect_ = select; }

    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;

private:
    bool isSelect_ = false;
};
