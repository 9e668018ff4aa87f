#pragma once

// What the question before stopping a clone tells the Clone OS screen.
class MakeSureCancelCloneSystemVCDelegate {
public:
    virtual ~MakeSureCancelCloneSystemVCDelegate() = default;
    // The user chose to stop the clone; the question is already closed.
    virtual void cancelToCopySystem() {}
};
