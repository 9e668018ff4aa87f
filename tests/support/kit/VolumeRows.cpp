#include "tests/support/kit/VolumeRows.h"

#include "ui-kit/NamedImage.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/RepairDiskTableCellView.h"

#include <QLabel>
#include <QLineEdit>

VolumeRows::VolumeRows(CustomTableView* table) : table_(table) {
    table->addTableColumn("Name", "Volumes");
    table->setDataSource(this);
    table->setListDelegate(this);
    table->registerViewFactory("Name", [this](QWidget* parent) { return makeCard(parent); });
}

int VolumeRows::numberOfRowsInTableView(CustomTableView*) {
    return static_cast<int>(names.size());
}

double VolumeRows::heightOfRow(CustomTableView*, int row) {
    return row == selectIndex ? 88 : 48;
}

bool VolumeRows::shouldSelectRow(CustomTableView* table, int row) {
    selectIndex = row;
    renaming = false;
    table->setSelectNum(row);
    table->reloadData();
    return true;
}

QWidget* VolumeRows::viewForTableColumn(CustomTableView* table, const QString& column, int row) {
    if (column != "Name" || row < 0 || row >= names.size()) {
        return nullptr;
    }
    auto* card = static_cast<RepairDiskTableCellView*>(table->makeViewWithIdentifier("Name"));
    const bool selected = row == selectIndex;
    card->setIsSelect(selected);
    card->update();
    card->findChild<QLabel*>("icon")->setPixmap(
        kit::NamedImage::imageNamed(row == 0 ? "ic_repair_os" : "ic_repair_usb").pixmap());
    card->findChild<QLabel*>("name")->setText(names.at(row));
    card->findChild<QLabel*>("name")->setVisible(!(renaming && selected));
    card->findChild<QWidget*>("editname")->setVisible(renaming && selected);
    card->findChild<QLineEdit*>()->setText(names.at(row));
    card->findChild<DiskSizeProgress*>("pro")->changeProgressValue(30.0f + 20.0f * static_cast<float>(row));
    for (const char* id : {"rename", "remove"}) {
        auto* button = card->findChild<TextImageButton*>(id);
        button->setVisible(selected);
        button->setButtonEnabled(!renaming);
    }
    card->findChild<TextImageButton*>("save")->setVisible(renaming && selected);
    return card;
}

void VolumeRows::listRightMouseDown(QMouseEvent*) {
    ++rightClicks;
}

TextImageButton* VolumeRows::button(int row, const char* identifier) const {
    QWidget* card = table_->viewAtColumn(0, row);
    return card ? card->findChild<TextImageButton*>(identifier) : nullptr;
}

QWidget* VolumeRows::makeCard(QWidget* parent) {
    ++made;
    auto* card = new RepairDiskTableCellView(parent);
    auto* icon = new QLabel(card);
    icon->setObjectName("icon");
    icon->setGeometry(24, 8, 32, 32);
    icon->setScaledContents(true);
    auto* name = new QLabel(card);
    name->setObjectName("name");
    name->setGeometry(70, 6, 260, 20);
    auto* edit = new QWidget(card);
    edit->setObjectName("editname");
    edit->setGeometry(70, 4, 260, 24);
    new QLineEdit(edit);
    auto* type = new QLabel("APFS", card);
    type->setObjectName("type");
    type->setGeometry(70, 26, 120, 16);
    auto* size = new QLabel("120.5 GB/500.1 GB", card);
    size->setObjectName("size");
    size->setGeometry(470, 6, 200, 18);
    auto* bar = new DiskSizeProgress(card);
    bar->setObjectName("pro");
    bar->setGeometry(470, 28, 200, 6);
    addButton(card, "rename", "Rename", {440, 54, 72, 24}, [this] {
        renaming = true;
        table_->reloadData();
    });
    addButton(card, "save", "Save", {520, 54, 72, 24}, [this, card] {
        names[selectIndex] = card->findChild<QLineEdit*>()->text();
        renaming = false;
        table_->reloadData();  // hides this very button
    });
    addButton(card, "remove", "Eject", {600, 54, 72, 24}, [this] {
        names.removeAt(selectIndex);
        selectIndex = 0;
        table_->setSelectNum(0);
        table_->reloadData();  // this row, and its button, may be gone
    });
    return card;
}

void VolumeRows::addButton(QWidget* card, const char* identifier, const QString& title, const QRect& frame,
                           std::function<void()> action) {
    auto* button = new TextImageButton(card);
    button->setObjectName(identifier);
    button->setGeometry(frame);
    button->setImageFromFileNormalName("btn_tool", "btn_tool_press", "btn_tool_hover", "btn_tool");
    button->setTextWithName(title);
    QObject::connect(button, &QAbstractButton::clicked, button, std::move(action));
}
