#pragma once

#include "ui-kit/tables/CustomTableView.h"

#include <QStringList>

#include <functional>

class QRect;
class TextImageButton;

// A screen in the manner of the Disk Tool, for the tests: one card per volume (icon, name, rename field,
// type, size, capacity bar), buttons on the selected row only, and actions that reload the list from
// inside the buttons' own click handlers.
class VolumeRows : public CustomTableViewDataSource, public CustomTableViewDelegate {
public:
    explicit VolumeRows(CustomTableView* table);

    int numberOfRowsInTableView(CustomTableView* table) override;
    double heightOfRow(CustomTableView* table, int row) override;
    bool shouldSelectRow(CustomTableView* table, int row) override;
    QWidget* viewForTableColumn(CustomTableView* table, const QString& column, int row) override;
    void listRightMouseDown(QMouseEvent* event) override;

    TextImageButton* button(int row, const char* identifier) const;

    QStringList names{"Macintosh HD", "USB", "Backup"};
    int selectIndex = 0;
    bool renaming = false;
    int made = 0;
    int rightClicks = 0;

private:
    QWidget* makeCard(QWidget* parent);
    static void addButton(QWidget* card, const char* identifier, const QString& title, const QRect& frame,
                          std::function<void()> action);

    CustomTableView* table_;
};
