#pragma once

#include "app/sources/ConfirmWindow.h"

class MakeSureToCloneSystemVCDelegate;

// The question before a clone, which erases the destination drive: "Cancel" (or the window's close button)
// closes it and starts nothing; "Clone Now" closes it and then tells the delegate (not owned) to begin.
class MakeSureToCloneSystemVC : public sources::ConfirmWindow {
    Q_OBJECT

public:
    MakeSureToCloneSystemVC();

    void cancelButtonAction() override;
    void doneButtonAction() override;

    MakeSureToCloneSystemVCDelegate* delegate() const { return delegate_; }
    void setDelegate(MakeSureToCloneSystemVCDelegate* delegate) { delegate_ = delegate; }

private:
    MakeSureToCloneSystemVCDelegate* delegate_ = nullptr;
};
