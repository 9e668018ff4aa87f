#pragma once

#include <QString>

// What a `Controller` tells the screen that owns it; every call is made on the main thread.
class ControllerDelegate {
public:
    virtual ~ControllerDelegate() = default;
    // A whole-source scan for a copy has ended.
    virtual void copyFileScanFiles() {}
    // A whole-source scan for a disk image or an archive has ended.
    virtual void endScanFiles() {}
    // The tree's contents or check states changed.
    virtual void reloadTreeList() {}
    // The roots' states may have changed.
    virtual void changeSelectAllButtonState() {}
    // A removal run advanced (percent) or ended (100), at the item `path`.
    virtual void changeProgressWithPoint(int /*percent*/, const QString& /*path*/) {}
};
