#pragma once

#include <QPointer>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QVariant>
#include <QVariantList>

class QEvent;

class CommOutlineViewDelegate {
public:
    virtual ~CommOutlineViewDelegate() = default;
};

// A flat list that is its own data source and delegate: one row per element of its data, no item
// expandable and no value in any cell. The user selects with the mouse or with the up and down arrow keys;
// a selection by any other key is refused, and no key starts editing. The delegate is not owned.
class CommOutlineView : public QTreeView {
    Q_OBJECT

public:
    explicit CommOutlineView(QWidget* parent = nullptr);

    // Stores the rows and the type number given with them, and reloads.
    void loadDataFormDetail(const QVariantList& rows, qint64 dataType);

    // The data source. `item` null is the root, whose children are the rows; an item that is a list has
    // its elements as children, but no item is expandable, so they never show.
    QVariant child(qsizetype index, const QVariant* item) const;
    qsizetype numberOfChildrenOfItem(const QVariant* item) const;
    static bool isItemExpandable(const QVariant& item);
    // Whether a selection made during `current` (the event being handled; null for none) may happen.
    static bool shouldSelectItem(const QEvent* current);
    // Whether editing may start during `current`: never from a key.
    static bool shouldEditTableColumn(const QEvent* current);

    const QVariantList& dataArr() const { return dataArr_; }
    qint64 dataType() const { return dataType_; }
    qint64 selectedRow() const { return selectedRow_; }
    void setSelectedRow(qint64 row) { selectedRow_ = row; }
    quint64 viewLoadCnt() const { return viewLoadCnt_; }
    void setViewLoadCnt(quint64 count) { viewLoadCnt_ = count; }
    // A running refresh that the next selection stops (not owned; the owner keeps it alive while set).
    QTimer* refreshTimer() const { return refreshTimer_; }
    void setRefreshTimer(QTimer* timer) { refreshTimer_ = timer; }
    CommOutlineViewDelegate* mDelegate() const { return mDelegate_; }
    void setMDelegate(CommOutlineViewDelegate* delegate) { mDelegate_ = delegate; }

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyboardSearch(const QString& search) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    QStandardItemModel* rows_;
    QVariantList dataArr_;
    qint64 selectedRow_ = -1;
    quint64 viewLoadCnt_ = 0;
    QPointer<QTimer> refreshTimer_;
    qint64 dataType_ = 0;
    CommOutlineViewDelegate* mDelegate_ = nullptr;
};
