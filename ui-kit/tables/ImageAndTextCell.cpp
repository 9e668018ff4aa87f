#include "ui-kit/tables/ImageAndTextCell.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include <cmath>

ImageAndTextCell::ImageAndTextCell(QObject* parent) : ImageAndTextCell({21, {3, -17}, 18, 3}, parent) {}

ImageAndTextCell::ImageAndTextCell(const Metrics& metrics, QObject* parent)
    : QStyledItemDelegate(parent), metrics_(metrics) {}

QPixmap ImageAndTextCell::imageForIndex(const QModelIndex& index) const {
    const QVariant decoration = index.data(Qt::DecorationRole);
    switch (decoration.typeId()) {
        case QMetaType::QPixmap:
            return decoration.value<QPixmap>();
        case QMetaType::QImage:
            return QPixmap::fromImage(decoration.value<QImage>());
        case QMetaType::QIcon: {
            const auto side = static_cast<int>(metrics_.imageSide);
            return decoration.value<QIcon>().pixmap(side, side);
        }
        default:
            return image_;
    }
}

QRectF ImageAndTextCell::imageFrameForCellFrame(const QRectF& cellFrame, const QPixmap& image) const {
    if (image.isNull()) {
        return {};
    }
    const QSizeF size = image.deviceIndependentSize();
    return {cellFrame.x() + metrics_.xOffset,
            cellFrame.y() + std::ceil((cellFrame.height() - size.height()) / 2), size.width(), size.height()};
}

QRectF ImageAndTextCell::imageDrawFrame(const QRectF& frame) const {
    const qreal side = metrics_.imageSide;
    const qreal y = frame.y() + metrics_.imageOffset.y() + std::ceil((side + frame.height()) / 2);
    return {frame.x() + metrics_.imageOffset.x(), y, side, side};
}

QRectF ImageAndTextCell::textFrame(const QRectF& frame) const {
    return frame.adjusted(metrics_.columnWidth, 0, 0, 0);
}

QRectF ImageAndTextCell::editFrame(const QRectF& cellFrame, const QPixmap& image) const {
    return cellFrame.adjusted(image.deviceIndependentSize().width() + 3, 0, 0, 0);
}

void ImageAndTextCell::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasDecoration;
    option->icon = QIcon();
    option->decorationSize = QSize();
}

void ImageAndTextCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QPixmap image = imageForIndex(index);
    if (!image.isNull()) {
        // The row's background and selection run under the image too, as a platform row's do.
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(imageDrawFrame(opt.rect), image, QRectF(image.rect()));
        painter->restore();
        opt.rect = textFrame(opt.rect).toRect();
    }
    drawInteriorWithFrame(painter, opt, index);
}

void ImageAndTextCell::drawInteriorWithFrame(QPainter* painter, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
}

QSize ImageAndTextCell::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QPixmap image = imageForIndex(index);
    const qreal imageWidth = image.isNull() ? 0 : image.deviceIndependentSize().width();
    size.rwidth() += 3 + static_cast<int>(std::ceil(imageWidth));
    return size;
}

void ImageAndTextCell::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    editor->setGeometry(editFrame(editor->geometry(), imageForIndex(index)).toRect());
}
