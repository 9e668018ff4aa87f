#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QWidget>

class TCImageWindow;

// The title-bar view of a TCImageWindow: transparent unless the window has a drawing block, clipped to
// rounded top corners, with the window's title when the window shows one. A double click miniaturises
// the window when the system setting "AppleMiniaturizeOnDoubleClick" is on.
class QNTitlebarView : public QWidget {
    Q_OBJECT

public:
    struct TitleAttributes {
        QFont font;
        QColor color;
        QColor shadowColor;
        QPointF shadowOffset;  // Cocoa: y up
        double shadowBlurRadius = 0;
    };

    explicit QNTitlebarView(QWidget* parent = nullptr);

    // The outline over `frame` with rounded top corners of radius 16, in Cocoa coordinates.
    static QPainterPath titleBarPath(const QRectF& frame);
    // Where a title of `titleSize` goes in `bounds` (no document buttons here: centred, 2 points from the
    // top), in Cocoa coordinates.
    static QRectF titleFrame(const QRectF& bounds, const QSizeF& titleSize);
    // The title's rectangle (Qt coordinates of this view) and attributes for the window's current state.
    void getTitleFrame(QRectF* frame, TitleAttributes* attributes, const TCImageWindow* window) const;

    // The system-wide preference; false when it is not set.
    static bool miniaturizeOnDoubleClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int clickCount_ = 0;
};
