#pragma once

// What the copy progress window tells the screen that runs the copy.
class CopyProgreWCDelegate {
public:
    virtual ~CopyProgreWCDelegate() = default;
    // The user stopped the run ("Cancel" or the window's close button).
    virtual void cancelCopy() {}
};
