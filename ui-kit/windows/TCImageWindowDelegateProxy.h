#pragma once

#include "ui-kit/windows/WindowDelegate.h"

class TCImageWindow;

// Stands as a TCImageWindow's delegate: passes every message on to the delegate the window's user set
// (not owned; the window clears it through setDelegate), except where a sheet hangs, which it answers
// itself: from the bottom edge of the title bar.
class TCImageWindowDelegateProxy : public kit::WindowDelegate {
public:
    explicit TCImageWindowDelegateProxy(TCImageWindow* window) : window_(window) {}

    kit::WindowDelegate* secondaryDelegate() const { return secondaryDelegate_; }
    void setSecondaryDelegate(kit::WindowDelegate* delegate) { secondaryDelegate_ = delegate; }

    bool windowShouldClose(QWidget* window) override;
    void windowWillClose(QWidget* window) override;
    QRectF willPositionSheet(QWidget* window, const QRectF& rect) override;

    static QRectF sheetRect(const QRectF& rect, double frameHeight, double titleBarHeight);

private:
    TCImageWindow* window_;
    kit::WindowDelegate* secondaryDelegate_ = nullptr;
};
