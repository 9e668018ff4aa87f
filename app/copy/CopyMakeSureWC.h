#pragma once

#include "app/sources/ConfirmWindow.h"

class CopyMakeSureWCDelegate;

// The question before a copy: "Cancel" or the window's close button ends it with nothing started; "Copy Now"
// closes it and then tells the delegate (not owned) to begin.
class CopyMakeSureWC : public sources::ConfirmWindow {
    Q_OBJECT

public:
    CopyMakeSureWC();

    void cancelButtonAction() override;
    void doneButtonAction() override;

    CopyMakeSureWCDelegate* delegate() const { return delegate_; }
    void setDelegate(CopyMakeSureWCDelegate* delegate) { delegate_ = delegate; }

private:
    CopyMakeSureWCDelegate* delegate_ = nullptr;
};
