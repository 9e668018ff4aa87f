#include "ui-kit/controls/AllCustemButtonCell.h"

#include <QPainter>
#include <QWidget>

QRectF AllCustemButtonCell::drawTitle(QPainter& painter, const QString& title, const QRectF& frame,
                                      const QWidget* view) const {
    painter.save();
    painter.setFont(view->font());
    painter.setPen(Qt::white);
    QRectF drawn;
    painter.drawText(frame, Qt::AlignCenter | Qt::TextSingleLine, title, &drawn);
    painter.restore();
    return drawn;
}
