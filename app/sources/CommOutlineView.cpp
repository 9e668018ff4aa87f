#include "app/sources/CommOutlineView.h"

#include <QKeyEvent>

CommOutlineView::CommOutlineView(QWidget* parent)
    : QTreeView(parent), rows_(new QStandardItemModel(this)) {  // the model is owned by the view
    setModel(rows_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void CommOutlineView::loadDataFormDetail(const QVariantList& rows, qint64 dataType) {
    dataArr_ = rows;
    dataType_ = dataType;
    rows_->clear();
    for (qsizetype row = 0; row < numberOfChildrenOfItem(nullptr); ++row) {
        auto* item = new QStandardItem;  // owned by the model
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
        rows_->appendRow(item);
    }
}

QVariant CommOutlineView::child(qsizetype index, const QVariant* item) const {
    const QVariantList& children = item ? item->toList() : dataArr_;
    return index >= 0 && index < children.size() ? children.at(index) : QVariant();
}

qsizetype CommOutlineView::numberOfChildrenOfItem(const QVariant* item) const {
    if (!item) {
        return dataArr_.size();
    }
    return item->typeId() == QMetaType::QVariantList ? item->toList().size() : 0;
}

bool CommOutlineView::isItemExpandable(const QVariant& /*item*/) {
    return false;
}

bool CommOutlineView::shouldSelectItem(const QEvent* current) {
    if (!current || current->type() != QEvent::KeyPress) {
        return true;
    }
    const int key = static_cast<const QKeyEvent*>(current)->key();
    return key == Qt::Key_Up || key == Qt::Key_Down;
}

bool CommOutlineView::shouldEditTableColumn(const QEvent* current) {
    return !current || current->type() != QEvent::KeyPress;
}

QItemSelectionModel::SelectionFlags CommOutlineView::selectionCommand(const QModelIndex& index,
                                                                      const QEvent* event) const {
    return shouldSelectItem(event) ? QTreeView::selectionCommand(index, event)
                                   : QItemSelectionModel::NoUpdate;
}

// A selection the list allowed stops a pending refresh; any change forgets the row kept as selected.
void CommOutlineView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    if (!selected.isEmpty() && refreshTimer_) {
        refreshTimer_->stop();
        refreshTimer_ = nullptr;
        viewLoadCnt_ = 0;
    }
    selectedRow_ = -1;
}

bool CommOutlineView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    return shouldEditTableColumn(event) && QTreeView::edit(index, trigger, event);
}

// Typing a name selects nothing, and no key but the arrows moves through the rows.
void CommOutlineView::keyboardSearch(const QString& /*search*/) {}

QModelIndex CommOutlineView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if (cursorAction != MoveUp && cursorAction != MoveDown) {
        return currentIndex();
    }
    return QTreeView::moveCursor(cursorAction, modifiers);
}
