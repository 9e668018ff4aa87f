#include "ui-kit/tables/CustomHeaderView.h"

#include <QPainter>

namespace kit {

CustomHeaderView::CustomHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
}

void CustomHeaderView::setupHeaderCells() {
    cells_.clear();
    for (int section = 0; section < count(); ++section) {
        const QString title = model() ? model()->headerData(section, orientation()).toString() : QString();
        setHeaderCell(section, std::make_unique<CustomHeaderCell>(title));
    }
}

void CustomHeaderView::setHeaderCell(int section, std::unique_ptr<CustomHeaderCell> cell) {
    if (section < 0) {
        return;
    }
    if (static_cast<size_t>(section) >= cells_.size()) {
        cells_.resize(static_cast<size_t>(section) + 1);
    }
    cells_[static_cast<size_t>(section)] = std::move(cell);
    viewport()->update();
}

CustomHeaderCell* CustomHeaderView::headerCell(int section) const {
    if (section < 0 || static_cast<size_t>(section) >= cells_.size()) {
        return nullptr;
    }
    return cells_[static_cast<size_t>(section)].get();
}

void CustomHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (CustomHeaderCell* cell = headerCell(logicalIndex)) {
        cell->drawWithFrame(*painter, rect);
        return;
    }
    QHeaderView::paintSection(painter, rect, logicalIndex);
}

}  // namespace kit
