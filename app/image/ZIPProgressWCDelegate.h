#pragma once

// What the progress window of an image or archive job tells the screen.
class ZIPProgressWCDelegate {
public:
    virtual ~ZIPProgressWCDelegate() = default;
    // "Cancel" or the window's close: the job is to stop and leave nothing behind.
    virtual void cancelMakeZip() {}
};
