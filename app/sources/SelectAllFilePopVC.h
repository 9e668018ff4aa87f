#pragma once

#include "ui-kit/backgrounds/SortSelectBgView.h"

#include <QSizeF>
#include <QWidget>

#include <memory>

class QLabel;
class SelectAllFileVCDelegate;
namespace kit {
class HoverArea;
}

// The copy-type chooser: two rows, "Copy All Files" (`view_1`, identifier "0") and "Copy Some Files"
// (`view_2`, identifier "1"), shown in an attached window under the combo. It tells its delegate (not owned)
// which row was clicked and when the pointer enters or leaves it; the title of the row under the pointer
// turns white.
class SelectAllFilePopVC : public QWidget, public SortSelectBgViewDelegate {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 24;
    static constexpr QSizeF kViewSize{160, 2 * kRowHeight};

    explicit SelectAllFilePopVC(QWidget* parent = nullptr);
    ~SelectAllFilePopVC() override;
    SelectAllFilePopVC(const SelectAllFilePopVC&) = delete;
    SelectAllFilePopVC& operator=(const SelectAllFilePopVC&) = delete;

    void mouseEntered();
    void mouseExited();
    void mouseInView(bool inside, int tag) override;
    void selectSortType(SortSelectBgView* row) override;

    SelectAllFileVCDelegate* delegate() const { return delegate_; }
    void setDelegate(SelectAllFileVCDelegate* delegate) { delegate_ = delegate; }
    SortSelectBgView* view_1() const { return view_1_; }
    SortSelectBgView* view_2() const { return view_2_; }
    QLabel* label_1() const { return label_1_; }
    QLabel* label_2() const { return label_2_; }

private:
    void awakeFromNib();
    SortSelectBgView* addRow(int index, const QString& title, QLabel*& label);

    SortSelectBgView* view_1_ = nullptr;
    SortSelectBgView* view_2_ = nullptr;
    QLabel* label_1_ = nullptr;
    QLabel* label_2_ = nullptr;
    SelectAllFileVCDelegate* delegate_ = nullptr;
    std::unique_ptr<kit::HoverArea> trackingArea_;
};
