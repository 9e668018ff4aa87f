#pragma once

#include <QStyledItemDelegate>

namespace sources {

// A cell that shows the image its model names for it (FileOutlineModel::kImageRole), centred, and reports a
// left click in it to the model as a FileOutlineModel::kClickRole write. The double-click event itself is
// swallowed, so that clicking quickly never expands or collapses the row.
class ImageClickCell : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit ImageClickCell(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

}  // namespace sources
