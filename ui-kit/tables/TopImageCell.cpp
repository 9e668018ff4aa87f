#include "ui-kit/tables/TopImageCell.h"

#include "ui-kit/windows/WindowMover.h"

#include <QAbstractItemView>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TopImageCell::TopImageCell(QAbstractItemView& view) : QStyledItemDelegate(&view), view_(view) {
    QWidget* viewport = view.viewport();
    new kit::WindowMover(viewport, [cell = QPointer<TopImageCell>(this)] {
        const TopImageCell* alive = cell.data();
        return alive != nullptr && alive->pressOnCell_;
    });  // owned by the viewport
    // Filters see an event in the reverse order of their installation: this one learns where the press is
    // before the mover asks.
    viewport->installEventFilter(this);
}

void TopImageCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const QIcon image = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
    image.paint(painter, option.rect, Qt::AlignCenter);
}

bool TopImageCell::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        pressOnCell_ = view_.itemDelegateForIndex(view_.indexAt(at)) == this;
    }
    return false;
}
