#pragma once

#include "ui-kit/tables/ImageAndTextCell.h"

// The larger icon-and-text cell: an icon 20 x 20 in a 23-point column, and the text centred vertically
// (2 points above the middle).
class LagImageATextCell : public ImageAndTextCell {
    Q_OBJECT

public:
    explicit LagImageATextCell(QObject* parent = nullptr);

    // The title's rectangle in `bounds` for a text `textHeight` high.
    static QRectF titleRectForBounds(const QRectF& bounds, qreal textHeight);

protected:
    void drawInteriorWithFrame(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const override;
};
