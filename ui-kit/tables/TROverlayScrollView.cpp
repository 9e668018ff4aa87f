#include "ui-kit/tables/TROverlayScrollView.h"

#include "ui-kit/tables/TROverlayScroller.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <QTreeView>

namespace {

// A table's header (an outline counts as a table), shown or hidden.
QHeaderView* headerOf(const QObject* view) {
    if (const auto* table = qobject_cast<const QTableView*>(view)) {
        return table->horizontalHeader();
    }
    if (const auto* outline = qobject_cast<const QTreeView*>(view)) {
        return outline->header();
    }
    return nullptr;
}

bool isTable(const QObject* view) {
    return qobject_cast<const QTableView*>(view) || qobject_cast<const QTreeView*>(view);
}

}  // namespace

TROverlayScrollView* TROverlayScrollView::installOn(QAbstractScrollArea* scrollView) {
    if (!scrollView) {
        return nullptr;
    }
    if (auto* existing = scrollView->findChild<TROverlayScrollView*>(QString(), Qt::FindDirectChildrenOnly)) {
        return existing;
    }
    return new TROverlayScrollView(scrollView);
}

TROverlayScrollView::TROverlayScrollView(QAbstractScrollArea* scrollView)
    : QObject(scrollView), scrollView_(scrollView), scroller_(new TROverlayScroller) {
    // The area keeps the scroller as its scroll bar (its range, value and wheel), but with the policy off it
    // reserves no room for it; the scroller itself moves out of the area's bar container onto the area.
    scrollView_->setVerticalScrollBar(scroller_);
    scrollView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller_->setParent(scrollView_);
    scroller_->show();
    scrollView_->installEventFilter(this);
    headerOffset_ = measuredHeaderOffset_ = tableHeaderOffsetFromSuperview();
    tile();
}

QHeaderView* TROverlayScrollView::tableHeader() const {
    if (isTable(scrollView_)) {
        return headerOf(scrollView_);
    }
    for (const QObject* child : scrollView_->viewport()->children()) {
        if (isTable(child)) {
            return headerOf(child);  // only the first table counts
        }
    }
    return nullptr;
}

qint64 TROverlayScrollView::tableHeaderOffsetFromSuperview() const {
    const QHeaderView* header = tableHeader();
    return header && !header->isHidden() ? header->height() : 0;
}

void TROverlayScrollView::setHeaderOffset(qint64 offset) {
    headerOffset_ = offset;
    tile();
}

QRect TROverlayScrollView::scrollerFrame(const QRect& contents, int scrollerWidth, qint64 headerOffset) {
    const int offset = static_cast<int>(headerOffset);
    return {contents.x() + contents.width() - scrollerWidth, contents.y() + offset, scrollerWidth,
            contents.height() - offset};
}

void TROverlayScrollView::tile() {
    followHeader();
    if (const qint64 measured = tableHeaderOffsetFromSuperview(); measured != measuredHeaderOffset_) {
        measuredHeaderOffset_ = measured;
        headerOffset_ = measured;  // the header changed: its height counts again
    }
    const int width = scroller_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller_);
    scroller_->setGeometry(scrollerFrame(scrollView_->contentsRect(), width, headerOffset_));
    scroller_->raise();  // above the document and the area's other parts
}

void TROverlayScrollView::followHeader() {
    QHeaderView* header = tableHeader();
    if (header == followedHeader_) {
        return;
    }
    if (followedHeader_) {
        followedHeader_->removeEventFilter(this);
    }
    followedHeader_ = header;
    if (header) {
        header->installEventFilter(this);
    }
}

bool TROverlayScrollView::eventFilter(QObject* watched, QEvent* event) {
    // While the area is being destroyed (it hides itself and its header) it is no longer a scroll area:
    // nothing is laid out then.
    if (!qobject_cast<const QAbstractScrollArea*>(parent())) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::LayoutRequest:
            if (watched == scrollView_ || watched == followedHeader_) {
                tile();
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
