#pragma once

#include "ui-kit/backgrounds/DrawnShape.h"

#include <QPersistentModelIndex>
#include <QTreeView>

#include <memory>

namespace kit {
class CustomHeaderView;
}
class QMouseEvent;
class QStyle;

class NewOutlineViewDelegate {
public:
    virtual ~NewOutlineViewDelegate() = default;
    virtual void listRightMouseDown(QMouseEvent* /*event*/) {}
};

// An outline with the kit's header cells and white rounded row backgrounds; the row `rowNum` is drawn
// light blue, and the platform draws no selection of its own. Rows are counted as the outline shows them,
// from 0 at the top, expanded children included. The delegate is not owned; its owner clears it.
class NewOutlineView : public QTreeView {
    Q_OBJECT

public:
    static constexpr int kHeaderHeight = 30;

    explicit NewOutlineView(QWidget* parent = nullptr);
    ~NewOutlineView() override;
    NewOutlineView(const NewOutlineView&) = delete;
    NewOutlineView& operator=(const NewOutlineView&) = delete;

    void setModel(QAbstractItemModel* model) override;
    // Gives every column a CustomHeaderCell from its current title and the header its height.
    void _setupHeaderCell();
    kit::CustomHeaderView* customHeaderView() const { return header_; }

    // Only stores: the caller redraws.
    qint64 rowNum() const { return rowNum_; }
    void setRowNum(qint64 row) { rowNum_ = row; }
    NewOutlineViewDelegate* aDelegate() const { return aDelegate_; }
    void setADelegate(NewOutlineViewDelegate* delegate) { aDelegate_ = delegate; }

    // The shown row of an item (its first column), and the item of a shown row; -1 and an invalid index
    // when there is none.
    qint64 rowForItem(const QModelIndex& item) const;
    QModelIndex itemAtRow(qint64 row) const;

    // A row's background in the outline's coordinates: at the row's origin, 692 wide.
    static kit::DrawnShape rowBackground(const QRectF& rowRect, bool highlighted);

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    kit::CustomHeaderView* header_;
    qint64 rowNum_ = 0;
    NewOutlineViewDelegate* aDelegate_ = nullptr;
    QPersistentModelIndex highlighted_;  // the item of rowNum_, found once per paint
    std::unique_ptr<QStyle> rowStyle_;
};
