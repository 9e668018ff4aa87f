#pragma once

// What the question before a clone tells the Clone OS screen.
class MakeSureToCloneSystemVCDelegate {
public:
    virtual ~MakeSureToCloneSystemVCDelegate() = default;
    // The user confirmed; the question is already closed.
    virtual void beginToCopySystem() {}
};
