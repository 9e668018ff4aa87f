#pragma once

#include "ui-kit/windows/PopoverGeometry.h"

#include <QColor>
#include <QPainterPath>
#include <QSizeF>
#include <QWidget>

// The popover panel's frame view: paints the rounded body with its arrow and holds the content view. The
// body is white whatever `color` says (the content is drawn for a white ground; the colour only decides
// whether the body is filled); the edge is stroked in `borderColor`. Each setter repaints only when the
// value changed.
class QNPopoverWindowFrame : public QWidget {
    Q_OBJECT

public:
    explicit QNPopoverWindowFrame(QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QColor borderColor() const { return borderColor_; }
    void setBorderColor(const QColor& color);
    QColor topHighlightColor() const { return topHighlightColor_; }
    // Only stores: the next repaint shows it.
    void setTopHighlightColor(const QColor& color) { topHighlightColor_ = color; }
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    // Width: the arrow's base; height: its length, which is also the panel's margin around the content.
    QSizeF arrowSize() const { return arrowSize_; }
    void setArrowSize(const QSizeF& size);
    int arrowDirection() const { return arrowDirection_; }
    void setArrowDirection(int direction);

    // The outline for a rectangle of the view, in Cocoa coordinates.
    QPainterPath popoverBezierPathWithRect(const QRectF& rect) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T>
    void change(T& field, const T& value);

    QColor color_;
    QColor borderColor_;
    QColor topHighlightColor_;
    double borderWidth_ = 0;
    double cornerRadius_ = 12.0;
    QSizeF arrowSize_{23.0, 12.0};
    int arrowDirection_ = QNPopoverArrowDirectionLeft;
};
