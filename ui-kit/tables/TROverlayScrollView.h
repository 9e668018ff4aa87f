#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

class QAbstractScrollArea;
class QHeaderView;
class TROverlayScroller;

// A scroll view whose vertical scroller takes no room of its own: the document uses the full width and a
// TROverlayScroller lies over its right edge, from below the table header (`headerOffset`) to the bottom.
//
// Qt's tables, outlines and text views are scroll views themselves, so this is not a scroll view class
// but the overlay behaviour of one: one call gives any scroll area (or a table view) its overlay
// scroller, in place of the platform's scroll bar:
//
//     TROverlayScrollView::installOn(tableView);
//
// The scroller becomes the area's vertical scroll bar (verticalScrollBar() returns it). The layout follows
// the area after every change of its geometry or of its table header's: the header offset is measured
// again then, and a value set with setHeaderOffset() holds until the header itself changes.
class TROverlayScrollView : public QObject {
    Q_OBJECT

public:
    // The area's overlay, made on the first call and owned by the area; the same one on later calls.
    static TROverlayScrollView* installOn(QAbstractScrollArea* scrollView);

    QAbstractScrollArea* scrollView() const { return scrollView_; }
    TROverlayScroller* verticalScroller() const { return scroller_; }
    qint64 headerOffset() const { return headerOffset_; }
    // Lays out again.
    void setHeaderOffset(qint64 offset);
    // The header height of the first table view in the scroll view (the view itself, or one among its
    // document's views), truncated; 0 without a table or when that table has no header.
    qint64 tableHeaderOffsetFromSuperview() const;
    void tile();

    // The scroller's frame in the scroll view: a strip `scrollerWidth` wide along the right edge of
    // `contents`, from `headerOffset` below its top to its bottom.
    static QRect scrollerFrame(const QRect& contents, int scrollerWidth, qint64 headerOffset);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TROverlayScrollView(QAbstractScrollArea* scrollView);
    QHeaderView* tableHeader() const;
    void followHeader();

    QAbstractScrollArea* scrollView_;
    TROverlayScroller* scroller_;
    qint64 headerOffset_ = 0;
    qint64 measuredHeaderOffset_ = 0;
    QPointer<QHeaderView> followedHeader_;
};
