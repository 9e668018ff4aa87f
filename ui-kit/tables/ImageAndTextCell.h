#pragma once

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QStyledItemDelegate>

// A list cell that draws an icon 18 x 18 in a column at its left and its text in the rest. The icon of a
// row is the model's decoration for it (what the owner gives each row before it is drawn), else the
// cell's own image. Frames are in the list's coordinates, flipped like Qt's.
class ImageAndTextCell : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit ImageAndTextCell(QObject* parent = nullptr);

    const QPixmap& image() const { return image_; }
    void setImage(const QPixmap& image) { image_ = image; }
    QPixmap imageForIndex(const QModelIndex& index) const;

    // The image's own size at the cell's origin, centred vertically; the zero rectangle without an image.
    QRectF imageFrameForCellFrame(const QRectF& cellFrame, const QPixmap& image) const;
    // Where the icon is drawn, and the part of the frame left to the text, for a cell with an icon.
    QRectF imageDrawFrame(const QRectF& frame) const;
    QRectF textFrame(const QRectF& frame) const;
    // The editor's frame: the cell frame less a strip of the image's width plus 3 at its left.
    QRectF editFrame(const QRectF& cellFrame, const QPixmap& image) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The inherited size widened by 3, and by the image's width when there is an image.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

protected:
    struct Metrics {
        qreal columnWidth;
        QPointF imageOffset;  // from the column's origin, before the vertical centring
        qreal imageSide;
        qreal xOffset;  // of imageFrameForCellFrame()
    };
    ImageAndTextCell(const Metrics& metrics, QObject* parent);

    // The cell draws its image itself: the inherited drawing never shows the decoration.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    // Draws the text in `option.rect`.
    virtual void drawInteriorWithFrame(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const;

private:
    Metrics metrics_;
    QPixmap image_;
};
