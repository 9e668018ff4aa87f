#pragma once

#include "app/bootable/FullDiskAccessViewController.h"
#include "app/sources/ResultWindow.h"

// The outcome of a clone: success ("Done") or failure, whose view also holds a hint and "Check", which
// opens the Full Disk Access prompt on top.
class CloneSystemEndWindowController : public sources::ResultWindow {
    Q_OBJECT

public:
    CloneSystemEndWindowController();

    void toCheckFullDiskAccess();

    TextImageButton* checkFullButton() const { return checkFullButton_; }
    QLabel* errorLable() const { return messageLabel(); }
    FullDiskAccessViewController* fullDiskAccessWC() const { return fullDiskAccessWC_.get(); }

private:
    void addViews() override;

    TextImageButton* checkFullButton_ = nullptr;
    std::unique_ptr<FullDiskAccessViewController> fullDiskAccessWC_;
};
