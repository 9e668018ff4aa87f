#pragma once

#include "app/sources/ListFileViewControllerDelagate.h"
#include "services/files/FileNode.h"

#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>

#include <memory>

class DiskListWCDelegate;
class ListFileViewController;
class TCImageWindow;

// The file list's window: a titled window that hosts one ListFileViewController. How a screen uses it:
//
//     diskListWC_.reset();                                   // the previous one goes
//     diskListWC_ = std::make_unique<DiskListWC>();
//     diskListWC_->setDelegate(this);
//     kit::centerWindow(diskListWC_->window());
//     if (!copyArr_) diskListWC_->showDetailWithPath(source.volumeMountPoint);     // a fresh scan
//     else diskListWC_->listFileVC()->setArrForListWithArr(copyArr_, source.volumePath);
//     kit::ModalRun::runModalForWindow(diskListWC_->window());
//
// "Done" hands the chosen tree and its byte total to the delegate (not owned) and closes the window; the
// close button, "Cancel" and any other close leave the screen's choice as it was. While a total runs the
// window refuses to close.
class DiskListWC : public QObject, public ListFileViewControllerDelagate {
    Q_OBJECT

public:
    static constexpr QSizeF kContentSize{740, 460};
    static constexpr double kTitleBarHeight = 38;

    DiskListWC();
    ~DiskListWC() override;
    DiskListWC(const DiskListWC&) = delete;
    DiskListWC& operator=(const DiskListWC&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    void showDetailWithPath(const QString& path);
    void getSelectFilesSize(bool busy) override;
    void closeWindow();
    void closeWindowWithSelect(const SharedFileNodeList& roots, qint64 total) override;

    bool isGetSelectSize() const { return isGetSelectSize_; }
    DiskListWCDelegate* delegate() const { return delegate_; }
    void setDelegate(DiskListWCDelegate* delegate) { delegate_ = delegate; }
    ListFileViewController* listFileVC();

private:
    void awakeFromNib();
    void windowDidLoad();

    std::unique_ptr<TCImageWindow> aWindow_;
    bool isGetSelectSize_ = false;
    QPointer<ListFileViewController> listFileVC_;
    DiskListWCDelegate* delegate_ = nullptr;
};
