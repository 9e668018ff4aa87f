#pragma once

// What the copy confirmation tells the screen that opened it.
class CopyMakeSureWCDelegate {
public:
    virtual ~CopyMakeSureWCDelegate() = default;
    // The user confirmed; the dialog is already closed.
    virtual void beginToCopyFiles() {}
};
