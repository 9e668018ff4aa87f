#include "ui-kit/controls/AllCustemButton.h"

#include <QPainter>
#include <QStyleOptionButton>

AllCustemButton::AllCustemButton(QWidget* parent) : QPushButton(parent) {}

void AllCustemButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    const QRectF contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    cell_.drawTitle(painter, text(), contents, this);
}
