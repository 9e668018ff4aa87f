#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>

class QPainter;

// The column header cell of the kit's lists: a white header with the column's title in grey 12-point
// type. Frames are in the header's coordinates, which are flipped (origin top left), as Qt's are.
class CustomHeaderCell {
public:
    struct AttributedString {
        QString string;
        QFont font;
        QColor color;
        bool operator==(const AttributedString&) const = default;
    };

    // Made from the column's current header cell: it keeps that cell's title.
    explicit CustomHeaderCell(const QString& stringValue);

    const QString& stringValue() const { return title_.string; }
    const AttributedString& attributedStringValue() const { return title_; }
    // The title in the header's font and colour; it also becomes the cell's attributed string value.
    AttributedString getStr();

    void drawWithFrame(QPainter& painter, const QRectF& frame);
    QRectF titleRect(const QRectF& frame) const;

    // A triangle 8 wide and 7 high at the right end of the frame, pointing up when ascending; filled white
    // only at priority 0 (it is clear otherwise, so at the default priority nothing shows).
    void drawSortIndicatorWithFrame(QPainter& painter, const QRectF& frame, bool ascending,
                                    int priority) const;
    static std::array<QPointF, 3> sortIndicatorPoints(const QRectF& frame, bool ascending);
    void setSortAscending(bool ascending, int priority);
    bool ascending() const { return _ascending; }
    int priority() const { return _priority; }

    static QFont titleFont();
    static QColor titleColor();

private:
    AttributedString title_;
    bool _ascending = true;
    int _priority = 1;
};
