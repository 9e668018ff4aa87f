#include "app/sources/ImageClickCell.h"

#include "app/sources/FileOutlineModel.h"
#include "ui-kit/NamedImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace sources {

ImageClickCell::ImageClickCell(QObject* parent) : QStyledItemDelegate(parent) {}

void ImageClickCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    const kit::NamedImage image =
        kit::NamedImage::imageNamed(index.data(FileOutlineModel::kImageRole).toString());
    if (image.isNull()) {
        return;
    }
    QRectF target(QPointF(), image.size());
    target.moveCenter(QRectF(option.rect).center());
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    image.draw(*painter, target);
    painter->restore();
}

bool ImageClickCell::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) {
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint())) {
                return false;
            }
            model->setData(index, QVariant(), FileOutlineModel::kClickRole);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace sources
