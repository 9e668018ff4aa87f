#pragma once

#include "ui-kit/backgrounds/SortSelectBgView.h"

#include <QSizeF>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class FormatTypeVCDelegate;
namespace kit {
class HoverArea;
}
class QLabel;

// The small menu of the file-system types a volume can be formatted to, one row per type by index:
// 0 "ExFAT", 1 "MS-DOS FAT32", 2 "Journaled HFS+", 3 "APFS". It tells its delegate (not owned) when the
// pointer enters or leaves it and which row was clicked; the title of the row under the pointer turns white.
class FormatTypeViewController : public QWidget, public SortSelectBgViewDelegate {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 24;
    static constexpr QSizeF kViewSize{150, 4 * kRowHeight};

    explicit FormatTypeViewController(QWidget* parent = nullptr);
    ~FormatTypeViewController() override;

    // The type text of a row index; empty outside 0 to 3.
    static QString typeText(int index);

    void mouseEntered();
    void mouseExited();
    void selectSortType(SortSelectBgView* row) override;
    void mouseInView(bool inside, int tag) override;

    FormatTypeVCDelegate* delegate() const { return delegate_; }
    void setDelegate(FormatTypeVCDelegate* delegate) { delegate_ = delegate; }
    SortSelectBgView* view(int index) const { return views_.at(static_cast<size_t>(index)); }
    QLabel* label(int index) const { return labels_.at(static_cast<size_t>(index)); }

private:
    void awakeFromNib();

    std::array<SortSelectBgView*, 4> views_{};
    std::array<QLabel*, 4> labels_{};
    FormatTypeVCDelegate* delegate_ = nullptr;
    std::unique_ptr<kit::HoverArea> trackingArea_;
};
