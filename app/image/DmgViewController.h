#pragma once

#include <QWidget>

// The Create Disk Image screen, created once with the main window and kept for the whole run. Its content is
// not built yet: it is an empty view that does nothing.
class DmgViewController : public QWidget {
    Q_OBJECT

public:
    explicit DmgViewController(QWidget* parent = nullptr);
};
