#pragma once

#include "app/sources/ConfirmWindow.h"

class DMGMakeSureWCDelegate;

// The question before a disk image or archive: "Cancel" or the window's close button ends it with nothing
// started; "Create Image" closes it and then tells the delegate (not owned) to begin.
class DMGMakeSureWC : public sources::ConfirmWindow {
    Q_OBJECT

public:
    DMGMakeSureWC();

    void cancelButtonAction() override;
    void doneButtonAction() override;

    DMGMakeSureWCDelegate* delegate() const { return delegate_; }
    void setDelegate(DMGMakeSureWCDelegate* delegate) { delegate_ = delegate; }

private:
    DMGMakeSureWCDelegate* delegate_ = nullptr;
};
