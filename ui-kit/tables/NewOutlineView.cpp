#include "ui-kit/tables/NewOutlineView.h"

#include "ui-kit/Palette.h"
#include "ui-kit/getColor.h"
#include "ui-kit/tables/CustomHeaderView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>

namespace {

// The platform's look for the outline, less the focus frame it draws around the current cell: the rows'
// own backgrounds are the only highlight.
class NoFocusFrameStyle : public QProxyStyle {
    Q_OBJECT

public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_FrameFocusRect && (option->state & State_Item)) {
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

}  // namespace

NewOutlineView::NewOutlineView(QWidget* parent)
    : QTreeView(parent),
      header_(new kit::CustomHeaderView(this)),
      rowStyle_(std::make_unique<NoFocusFrameStyle>()) {
    setStyle(rowStyle_.get());
    setHeader(header_);
    header_->setStretchLastSection(true);
    // The rows' own backgrounds show the highlighted row; the platform's selection stays invisible.
    QPalette noSelection = palette();
    noSelection.setColor(QPalette::Highlight, Qt::transparent);
    noSelection.setColor(QPalette::HighlightedText, noSelection.color(QPalette::Text));
    setPalette(noSelection);
    _setupHeaderCell();
}

NewOutlineView::~NewOutlineView() {
    setStyle(nullptr);  // back to the application's style before the outline's own goes
}

void NewOutlineView::setModel(QAbstractItemModel* model) {
    QTreeView::setModel(model);
    _setupHeaderCell();
}

void NewOutlineView::_setupHeaderCell() {
    header_->setupHeaderCells();
    header_->setFixedHeight(kHeaderHeight);
}

qint64 NewOutlineView::rowForItem(const QModelIndex& item) const {
    if (!item.isValid() || !model()) {
        return -1;
    }
    QModelIndex above = item.siblingAtColumn(0);
    if (visualRect(above).isNull()) {  // inside a collapsed folder: not shown
        return -1;
    }
    qint64 row = -1;
    for (; above.isValid(); above = indexAbove(above)) {
        ++row;
    }
    return row;
}

QModelIndex NewOutlineView::itemAtRow(qint64 row) const {
    if (row < 0 || !model()) {
        return {};
    }
    QModelIndex item = model()->index(0, 0, rootIndex());
    for (qint64 i = 0; i < row && item.isValid(); ++i) {
        item = indexBelow(item);
    }
    return item;
}

kit::DrawnShape NewOutlineView::rowBackground(const QRectF& rowRect, bool highlighted) {
    const QColor color = highlighted ? kit::rowHighlight() : getColor(255, 255, 255, 1);
    return kit::DrawnShape::fill(QRectF(rowRect.x(), rowRect.y(), 692, rowRect.height()), 4, color);
}

void NewOutlineView::paintEvent(QPaintEvent* event) {
    highlighted_ = itemAtRow(rowNum_);
    QTreeView::paintEvent(event);
}

void NewOutlineView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QRectF row(-horizontalOffset(), option.rect.y(), viewport()->width(), option.rect.height());
    const kit::DrawnShape shape =
        rowBackground(row, highlighted_.isValid() && index.siblingAtColumn(0) == QModelIndex(highlighted_));
    QPainterPath path;
    path.addRoundedRect(shape.rect, shape.radius, shape.radius);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, shape.color);
    painter->restore();
    QTreeView::drawRow(painter, option, index);
}

// Qt makes the first row current when a list without a current row takes the focus: focus alone must not
// look like the user's choice, so the list is told it has its (empty) current row already.
void NewOutlineView::focusInEvent(QFocusEvent* event) {
    if (!currentIndex().isValid()) {
        setCurrentIndex(QModelIndex());
    }
    QTreeView::focusInEvent(event);
}

void NewOutlineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();  // the release reports it; a right press selects nothing
        return;
    }
    QTreeView::mousePressEvent(event);
}

void NewOutlineView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        if (aDelegate_) {
            aDelegate_->listRightMouseDown(event);
        }
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

#include "NewOutlineView.moc"
