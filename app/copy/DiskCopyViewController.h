#pragma once

#include <QWidget>

// The Copy Disk screen, created once with the main window and kept for the whole run. Its content is not
// built yet: it is an empty view that does nothing.
class DiskCopyViewController : public QWidget {
    Q_OBJECT

public:
    explicit DiskCopyViewController(QWidget* parent = nullptr);
};
