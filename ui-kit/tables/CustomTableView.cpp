#include "ui-kit/tables/CustomTableView.h"

#include "ui-kit/getColor.h"
#include "ui-kit/tables/CustomHeaderView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleHints>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

// The rows' surface: paints the row backgrounds under the row views and turns presses into row clicks.
// Presses that a row's views leave unhandled (on a label, on the card's background) arrive here too.
class CustomTableView::Document : public QWidget {
public:
    Document(CustomTableView* table, QWidget* parent) : QWidget(parent), table_(table) {
        setAutoFillBackground(true);
        QPalette background = palette();
        background.setColor(QPalette::Window, Qt::white);
        setPalette(background);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        table_->drawRows(painter, event->rect());
    }
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        if (event->button() == Qt::RightButton) {
            table_->rightMouseDown(event);
        } else if (event->button() == Qt::LeftButton) {
            table_->setFocus(Qt::MouseFocusReason);
            table_->rowPressed(table_->rowAtPoint(event->position()), event->timestamp());
        }
    }
    // The keys of the rows' views that they leave unhandled come here before the scroll view would scroll.
    void keyPressEvent(QKeyEvent* event) override { table_->keyPressEvent(event); }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        table_->layoutCells();
    }

private:
    CustomTableView* table_;
};

double CustomTableViewDataSource::heightOfRow(CustomTableView* tableView, int /*row*/) {
    return tableView->rowHeight();
}

CustomTableView::CustomTableView(QWidget* parent)
    : QWidget(parent),
      headerModel_(new QStandardItemModel(0, 0, this)),
      header_(new kit::CustomHeaderView(this)),
      scrollView_(new QScrollArea(this)),
      document_(new Document(this, nullptr)) {
    header_->setModel(headerModel_);
    header_->setSectionResizeMode(QHeaderView::Stretch);
    setFocusPolicy(Qt::StrongFocus);
    scrollView_->setFocusPolicy(Qt::NoFocus);  // the arrow keys select rows, they do not scroll
    scrollView_->setFrameShape(QFrame::NoFrame);
    scrollView_->setWidgetResizable(true);
    scrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView_->setWidget(document_);  // the scroll view owns it
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(scrollView_);
    _setupHeaderCell();
}

CustomTableView::~CustomTableView() {
    dataSource_ = nullptr;
    listDelegate_ = nullptr;
    // The rows' surface and its views go while the table they draw from is still whole.
    const std::unique_ptr<QWidget> document(scrollView_->takeWidget());
}

void CustomTableView::addTableColumn(const QString& identifier, const QString& title) {
    columns_.append(identifier);
    headerModel_->setColumnCount(static_cast<int>(columns_.size()));
    headerModel_->setHorizontalHeaderItem(static_cast<int>(columns_.size()) - 1, new QStandardItem(title));
    _setupHeaderCell();
}

void CustomTableView::_setupHeaderCell() {
    header_->setupHeaderCells();
    header_->setFixedHeight(kHeaderHeight);
}

void CustomTableView::registerViewFactory(const QString& identifier, ViewFactory factory) {
    factories_[identifier] = std::move(factory);
}

QWidget* CustomTableView::makeViewWithIdentifier(const QString& identifier) {
    PooledView* chosen = nullptr;
    for (PooledView& entry : pool_) {
        if (entry.inUse || entry.identifier != identifier || !entry.view) {
            continue;
        }
        if (entry.row == buildingRow_ && entry.column == buildingColumn_) {
            chosen = &entry;
            break;
        }
        if (!chosen) {
            chosen = &entry;
        }
    }
    if (!chosen) {
        const auto factory = factories_.find(identifier);
        if (factory == factories_.end() || !factory->second) {
            return nullptr;
        }
        QWidget* view = factory->second(document_);
        if (!view) {
            return nullptr;
        }
        view->setParent(document_);
        // Views added to the row's view later are not watched: a row's views are made with it.
        view->installEventFilter(this);
        for (QWidget* child : view->findChildren<QWidget*>()) {
            child->installEventFilter(this);
        }
        pool_.push_back({identifier, view, -1, -1, false});
        chosen = &pool_.back();
    }
    chosen->inUse = true;
    chosen->row = buildingRow_;
    chosen->column = buildingColumn_;
    return chosen->view;
}

void CustomTableView::setRowHeight(double height) {
    rowHeight_ = std::max(0.0, height);
    reloadData();
}

void CustomTableView::reloadData() {
    if (reloading_) {
        reloadAgain_ = true;
        return;
    }
    reloading_ = true;
    do {
        reloadAgain_ = false;
        rebuild();
    } while (reloadAgain_);
    reloading_ = false;
}

void CustomTableView::rebuild() {
    for (PooledView& entry : pool_) {
        entry.inUse = false;
    }
    const int rows = dataSource_ ? std::max(0, dataSource_->numberOfRowsInTableView(this)) : 0;
    std::vector<double> tops;
    std::vector<double> heights;
    double y = topInset_;
    for (int row = 0; row < rows && dataSource_; ++row) {
        const double height = std::max(0.0, dataSource_->heightOfRow(this, row));
        tops.push_back(y);
        heights.push_back(height);
        y += height + kIntercellHeight;
    }
    std::vector<Cell> cells;
    for (int row = 0; row < static_cast<int>(tops.size()) && dataSource_; ++row) {
        for (int column = 0; column < columns_.size() && dataSource_; ++column) {
            buildingRow_ = row;
            buildingColumn_ = column;
            QWidget* view = dataSource_->viewForTableColumn(this, columns_.at(column), row);
            if (view) {
                if (view->parentWidget() != document_) {
                    view->setParent(document_);
                }
                cells.push_back({view, row, column});
            }
        }
    }
    buildingRow_ = -1;
    buildingColumn_ = -1;

    for (const Cell& old : cells_) {
        const bool kept =
            std::any_of(cells.begin(), cells.end(), [&](const Cell& cell) { return cell.view == old.view; });
        if (old.view && !kept) {
            old.view->hide();
        }
    }
    cells_ = std::move(cells);
    rowTops_ = std::move(tops);
    rowHeights_ = std::move(heights);
    if (selectedRow_ >= numberOfRows()) {
        selectedRow_ = -1;
    }
    contentHeight_ = y - topInset_;
    fitDocument();
    layoutCells();
    document_->update();
}

void CustomTableView::fitDocument() {
    const int height = static_cast<int>(std::ceil(topInset_ + contentHeight_));
    document_->setMinimumHeight(height);
    // At once rather than at the scroll view's next layout: a click or a key scrolls within the new range.
    const QSize visible = scrollView_->viewport()->size();
    document_->resize(visible.width(), std::max(visible.height(), height));
}

void CustomTableView::layoutCells() {
    const double columnWidth =
        columns_.isEmpty() ? 0 : document_->width() / static_cast<double>(columns_.size());
    for (const Cell& cell : cells_) {
        if (!cell.view || cell.row >= numberOfRows()) {
            continue;
        }
        const QRectF row = rectOfRow(cell.row);
        const QRectF frame(cell.column * columnWidth, row.y() + kIntercellHeight / 2.0, columnWidth,
                           rowHeights_[static_cast<size_t>(cell.row)]);
        cell.view->setGeometry(frame.toRect());
        cell.view->show();
    }
}

QRectF CustomTableView::rectOfRow(int row) const {
    if (row < 0 || row >= numberOfRows()) {
        return {};
    }
    const auto index = static_cast<size_t>(row);
    return {0, rowTops_[index], static_cast<double>(document_->width()),
            rowHeights_[index] + kIntercellHeight};
}

int CustomTableView::rowAtPoint(const QPointF& point) const {
    const auto next = std::upper_bound(rowTops_.begin(), rowTops_.end(), point.y());
    if (next == rowTops_.begin()) {
        return -1;
    }
    const int row = static_cast<int>(next - rowTops_.begin()) - 1;
    return rectOfRow(row).contains(point) ? row : -1;
}

QWidget* CustomTableView::viewAtColumn(int column, int row) const {
    for (const Cell& cell : cells_) {
        if (cell.row == row && cell.column == column) {
            return cell.view;
        }
    }
    return nullptr;
}

void CustomTableView::setSelectNum(int row) {
    rowNum_ = row;
    document_->update();
}

void CustomTableView::rowPressed(int row, quint64 timestamp) {
    if (row < 0) {
        return;
    }
    const double top = rectOfRow(row).top() - visibleTop();
    // The data source may reload the list from here; only the row number is used afterwards.
    const bool select = !dataSource_ || dataSource_->shouldSelectRow(this, row);
    if (row >= numberOfRows()) {
        return;
    }
    if (select) {
        selectedRow_ = row;
        pressedRow_ = row;
        pressedAt_ = timestamp;
    }
    keepRowAt(row, top);
}

void CustomTableView::selectRow(int row) {
    if (row < 0 || row >= numberOfRows()) {
        return;
    }
    const bool select = !dataSource_ || dataSource_->shouldSelectRow(this, row);
    if (select && row < numberOfRows()) {
        selectedRow_ = row;
        const QRectF rect = rectOfRow(row);
        const int half = static_cast<int>(std::ceil(rect.height() / 2));
        scrollView_->ensureVisible(0, static_cast<int>(rect.top()) + half, 0, half);
    }
}

double CustomTableView::visibleTop() const {
    return scrollView_->verticalScrollBar()->value();
}

void CustomTableView::keepRowAt(int row, double top) {
    QScrollBar* bar = scrollView_->verticalScrollBar();
    const double moved = rectOfRow(row).top() - visibleTop() - top;  // downwards
    if (moved < 0) {
        // Scrolled back as far as the list allows; what is left, the room above the rows takes.
        const double beyond = bar->value() + moved;
        if (beyond < 0) {
            bar->setValue(0);
            setTopInset(topInset_ - beyond);
        } else {
            bar->setValue(static_cast<int>(std::lround(beyond)));
        }
    } else if (moved > 0) {
        const double given = std::min(topInset_, moved);
        setTopInset(topInset_ - given);
        bar->setValue(bar->value() + static_cast<int>(std::lround(moved - given)));
    }
}

void CustomTableView::setTopInset(double inset) {
    const double shift = inset - topInset_;
    if (shift == 0) {
        return;
    }
    topInset_ = inset;
    for (double& top : rowTops_) {
        top += shift;
    }
    fitDocument();
    layoutCells();
    document_->update();
}

void CustomTableView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setTopInset(0);  // nothing lies under the pointer now
}

void CustomTableView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        event->accept();
        selectRow(rowNum_ + (event->key() == Qt::Key_Up ? -1 : 1));
        return;
    }
    QWidget::keyPressEvent(event);
}

int CustomTableView::rowOfView(const QObject* object) const {
    while (object && object->parent() != document_) {
        object = object->parent();
    }
    for (const Cell& cell : cells_) {
        if (object && cell.view == object) {
            return cell.row;
        }
    }
    return -1;
}

bool CustomTableView::isSecondClickOnSelection(const QObject* watched, const QMouseEvent* event) const {
    const auto interval = static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    const quint64 at = event->timestamp();
    return pressedRow_ >= 0 && at >= pressedAt_ && at - pressedAt_ < interval &&
           rowOfView(watched) == pressedRow_;
}

bool CustomTableView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            swallowing_ = isSecondClickOnSelection(watched, static_cast<QMouseEvent*>(event));
            return swallowing_;
        case QEvent::MouseButtonRelease:
            return std::exchange(swallowing_, false);
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void CustomTableView::rightMouseDown(QMouseEvent* event) {
    if (listDelegate_) {
        listDelegate_->listRightMouseDown(event);
    }
}

kit::DrawnShape CustomTableView::rowBackground(const QRectF& rowRect, bool highlighted) {
    const QColor color = highlighted ? getColor(255, 255, 255, 0.1f) : getColor(50, 50, 61, 1);
    return kit::DrawnShape::fill(QRectF(8, rowRect.y(), 696, 48), 8, color);
}

void CustomTableView::drawRows(QPainter& painter, const QRect& exposed) const {
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < numberOfRows(); ++row) {
        const QRectF rect = rectOfRow(row);
        if (!rect.intersects(exposed)) {
            continue;
        }
        const kit::DrawnShape shape = rowBackground(rect, row == rowNum_);
        QPainterPath path;
        path.addRoundedRect(shape.rect, shape.radius, shape.radius);
        painter.fillPath(path, shape.color);
    }
}

QWidget* CustomTableView::documentView() const {
    return document_;
}

QAbstractScrollArea* CustomTableView::scrollView() const {
    return scrollView_;
}
