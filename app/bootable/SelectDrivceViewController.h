#pragma once

#include <QWidget>

// The Clone OS screen, created once with the main window and kept for the whole run. Its content is not
// built yet: it is an empty view that does nothing.
class SelectDrivceViewController : public QWidget {
    Q_OBJECT

public:
    explicit SelectDrivceViewController(QWidget* parent = nullptr);
};
