#pragma once

#include <QWidget>

// The Disk Tool screen, created once with the main window and kept for the whole run. Its content is not
// built yet: it is an empty view that does nothing.
class RepairDiskViewController : public QWidget {
public:
    explicit RepairDiskViewController(QWidget* parent = nullptr);

    // Loads the volume list; there is no list yet, so there is nothing to load.
    void loadData();
};
