#pragma once

#include <QWidget>

// A window that keeps counting as the key window while one of its popovers has the key status, as long as
// the application is active, so that it does not draw as inactive behind its own popover.
class QNPopoverParentWindow : public QWidget {
    Q_OBJECT

public:
    explicit QNPopoverParentWindow(QWidget* parent = nullptr);

    bool isKeyWindow() const;
    // Whether the window itself has the key status.
    bool isReallyKeyWindow() const { return isActiveWindow(); }
};
