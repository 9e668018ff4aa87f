#pragma once

#include "services/disks/VolumeObj.h"
#include "ui-kit/tables/RepairDiskTableCellView.h"

#include <QString>

#include <array>

class DiskSizeProgress;
class QLabel;
class QLineEdit;
class TextImageButton;

namespace disktool {

// One row of the Disk Tool's volume table: the volume's icon, name, file system, size and capacity bar, the
// rename field with its Save button, and the action buttons that the selected row shows. The card fits the
// width the table gives it, so it never reaches under the table's scroll bar. It shows what it is told; the
// screen decides which buttons a row offers.
class VolumeRowCard : public RepairDiskTableCellView {
    Q_OBJECT

public:
    // In their order along the selected row; Save sits beside the rename field.
    enum Button { Open, Mount, FirstAid, Rename, Format, Eject, Save };
    static constexpr int kButtonCount = 7;

    explicit VolumeRowCard(QWidget* parent = nullptr);

    // Icon, texts and bar of the volume; the rename field instead of the name while `renaming`; what runs on
    // the volume (or became of it), when there is something to say, instead of its file system. A name too
    // long for its place is shortened in the middle; its tooltip holds it whole.
    void showVolume(const VolumeObj& volume, bool renaming, const QString& activity = {});
    // The button's documented identifier ("open", "mount", "fristaid", …).
    static QString identifier(Button button);

    QLabel* iconView() const { return icon_; }
    QLabel* nameLabel() const { return name_; }
    QLabel* typeLabel() const { return type_; }
    QLabel* activityLabel() const { return activity_; }
    QLabel* sizeLabel() const { return size_; }
    QWidget* editHolder() const { return edit_; }
    QLineEdit* renameField() const { return field_; }
    DiskSizeProgress* capacityBar() const { return bar_; }
    TextImageButton* button(Button which) const { return buttons_[static_cast<size_t>(which)]; }

    QList<kit::DrawnShape> backgroundShapes(const QSizeF& size) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* icon_;
    QLabel* name_;
    QLabel* type_;
    QLabel* activity_;
    QLabel* size_;
    QWidget* edit_;
    QLineEdit* field_;
    DiskSizeProgress* bar_;
    std::array<TextImageButton*, kButtonCount> buttons_{};
};

}  // namespace disktool
