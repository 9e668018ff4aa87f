#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// An image cell that moves its window: a press on a cell it draws, and the drag that follows, drag the
// window along instead of selecting the row. It draws the image of its row (the model's decoration), scaled
// down to fit and centred.
class TopImageCell : public QStyledItemDelegate {
    Q_OBJECT

public:
    // The cell of `view`'s columns or rows that it is set for; owned by the view, which outlives it.
    explicit TopImageCell(QAbstractItemView& view);

    static bool mouseDownCanMoveWindow() { return true; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& view_;
    bool pressOnCell_ = false;
};
