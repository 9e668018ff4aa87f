#pragma once

#include "ui-kit/tables/CustomHeaderCell.h"

#include <QHeaderView>

#include <memory>
#include <vector>

namespace kit {

// The header view of the kit's lists: every section is drawn by its own CustomHeaderCell, which the header
// owns; a section without one is drawn as Qt draws it.
class CustomHeaderView : public QHeaderView {
    Q_OBJECT

public:
    explicit CustomHeaderView(QWidget* parent = nullptr);

    // Gives every section a new cell made from the section's current title.
    void setupHeaderCells();
    void setHeaderCell(int section, std::unique_ptr<CustomHeaderCell> cell);
    CustomHeaderCell* headerCell(int section) const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    std::vector<std::unique_ptr<CustomHeaderCell>> cells_;
};

}  // namespace kit
