#pragma once

#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

// Draws a button's title in white, whatever colour the button's own text would have.
class AllCustemButtonCell {
public:
    // Returns the rectangle the title took, centred in `frame`.
    QRectF drawTitle(QPainter& painter, const QString& title, const QRectF& frame, const QWidget* view) const;
};
