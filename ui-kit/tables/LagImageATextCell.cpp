#include "ui-kit/tables/LagImageATextCell.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

LagImageATextCell::LagImageATextCell(QObject* parent) : ImageAndTextCell({23, {0, -21}, 20, 0}, parent) {}

QRectF LagImageATextCell::titleRectForBounds(const QRectF& bounds, qreal textHeight) {
    return {bounds.x(), (bounds.height() - textHeight) / 2 + bounds.y() - 2, bounds.width(), textHeight};
}

void LagImageATextCell::drawInteriorWithFrame(QPainter* painter, const QStyleOptionViewItem& option,
                                              const QModelIndex& /*index*/) const {
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QStyleOptionViewItem panel = option;
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);

    const QRectF title = titleRectForBounds(option.rect, QFontMetricsF(option.font).height());
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(title, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, option.text);
    painter->restore();
}
