#pragma once

#include <QRectF>

class QWidget;

namespace kit {

// The messages a window sends its delegate (NSWindowDelegate). A delegate overrides what it answers; the
// defaults are what a window does without a delegate.
class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    // Asked by the close button and performClose(); false keeps the window open.
    virtual bool windowShouldClose(QWidget* /*window*/) { return true; }
    virtual void windowWillClose(QWidget* /*window*/) {}
    // Where a sheet hangs from, in the window's Cocoa coordinates.
    virtual QRectF willPositionSheet(QWidget* /*window*/, const QRectF& rect) { return rect; }
};

}  // namespace kit
