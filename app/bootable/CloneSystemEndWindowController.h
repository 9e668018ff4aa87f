#pragma once

#include "app/bootable/FullDiskAccessViewController.h"
#include "app/sources/ResultWindow.h"

// The outcome of a clone: success ("Done") or failure, whose view can also hold a hint and "Check", which
// opens the Full Disk Access prompt on top: only where missing access could be the cause.
class CloneSystemEndWindowController : public sources::ResultWindow {
    Q_OBJECT

public:
    CloneSystemEndWindowController();

    void toCheckFullDiskAccess();
    // The hint and "Check" beside "Cancel", or "Cancel" alone in the middle.
    void showAccessHint(bool shown);

    TextImageButton* checkFullButton() const { return checkFullButton_; }
    QLabel* errorLable() const { return messageLabel(); }
    FullDiskAccessViewController* fullDiskAccessWC() const { return fullDiskAccessWC_.get(); }

private:
    void addViews() override;

    QLabel* accessHint_ = nullptr;
    TextImageButton* checkFullButton_ = nullptr;
    std::unique_ptr<FullDiskAccessViewController> fullDiskAccessWC_;
};
