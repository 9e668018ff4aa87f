#pragma once

#include "app/sources/ConfirmWindow.h"

class MakeSureToCloneSystemVCDelegate;

// The question before a clone, which erases the destination drive (named by `drive`, e.g. its name and
// size, where it is given): "Cancel" (the default, or the window's close button) closes it and starts
// nothing; "Clone Now" closes it and then tells the delegate (not owned) to begin.
class MakeSureToCloneSystemVC : public sources::ConfirmWindow {
    Q_OBJECT

public:
    explicit MakeSureToCloneSystemVC(const QString& drive = QString());

    void cancelButtonAction() override;
    void doneButtonAction() override;

    MakeSureToCloneSystemVCDelegate* delegate() const { return delegate_; }
    void setDelegate(MakeSureToCloneSystemVCDelegate* delegate) { delegate_ = delegate; }

private:
    MakeSureToCloneSystemVCDelegate* delegate_ = nullptr;
};
