#pragma once

#include "app/sources/ConfirmWindow.h"

class MakeSureCancelCloneSystemVCDelegate;

// The question before a running clone is stopped. The left button, "Cancel", closes it and tells the
// delegate (not owned) to stop the clone; the right one, "Continue" (the default, or the close button),
// closes it and lets the clone go on.
class MakeSureCancelCloneSystemVC : public sources::ConfirmWindow {
    Q_OBJECT

public:
    MakeSureCancelCloneSystemVC();

    void cancelButtonAction() override;
    void doneButtonAction() override;

    MakeSureCancelCloneSystemVCDelegate* delegate() const { return delegate_; }
    void setDelegate(MakeSureCancelCloneSystemVCDelegate* delegate) { delegate_ = delegate; }

private:
    MakeSureCancelCloneSystemVCDelegate* delegate_ = nullptr;
};
