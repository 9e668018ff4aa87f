#pragma once

// What the confirmation before a disk image or archive tells the screen.
class DMGMakeSureWCDelegate {
public:
    virtual ~DMGMakeSureWCDelegate() = default;
    // "Create Image" was pressed; the window has closed already.
    virtual void beginToMakeDMGorZIP() {}
};
