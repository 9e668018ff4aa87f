#pragma once

#include "app/copy/CopyMakeSureWCDelegate.h"
#include "app/copy/CopyProgreWCDelegate.h"
#include "app/sources/DestinationFolder.h"
#include "app/sources/SourceDestinationScreen.h"
#include "services/files/DoCopyFilesDelegate.h"

#include <functional>
#include <memory>

class CopyMakeSureWC;
class CopyProgreWindowController;
class DoCopyFiles;

// The Copy Disk screen, created once with the main window and kept for the whole run. The user picks a
// source (a volume, a set chosen in the file list, or files dropped on the source panel) and a destination
// volume, and "Copy Now" copies into a new dated folder on the destination after a confirmation, with the
// progress window and then the result window.
//
// "Copy Now" without a chosen set scans the source's top level afresh for every copy and copies the whole
// list. A copy is refused when nothing is checked, when the source or the destination has gone (before the
// question, and again when it starts), and, for a chosen or dropped set, when the destination lies inside
// what would be copied (a whole source leaves the destination out instead). The folder is new, named
// "Tavrun(yyyy-MM-dd HH:mm:ss)" ("HH-mm-ss" on FAT, exFAT and NTFS), with " 1", " 2", … added when that name
// is taken; when the destination cannot take it (the read-only root of macOS 10.15 and later included), it
// goes to the Desktop of the user who started the product, and `copyFolder` says so. While the thread of
// a copy still runs (a cancelled copy finishes the file or chunk it is at), "Copy Now" starts nothing.
class DiskCopyViewController : public sources::SourceDestinationScreen,
                               public DoCopyFilesDelegate,
                               public CopyMakeSureWCDelegate,
                               public CopyProgreWCDelegate {
    Q_OBJECT

public:
    static inline const QString kNothingSelectedMessage = QStringLiteral("No file/disk has been selected…");
    static inline const QString kCopyFailedMessage = QStringLiteral("Some files copy failed!");

    explicit DiskCopyViewController(QWidget* parent = nullptr);
    ~DiskCopyViewController() override;
    DiskCopyViewController(const DiskCopyViewController&) = delete;
    DiskCopyViewController& operator=(const DiskCopyViewController&) = delete;

    void selectFileButtonAction(QObject* /*sender*/) override {}
    void cloneButtonAction() override;
    void doCopyAction();
    void beginToCopyFiles() override;
    void copyFileError() override;
    void cancelCopy() override;
    void topCopyFilePath(const QString& path) override;
    void topCopyProgress(float percent) override;
    void copyStopped() override;
    // For tests: handed to every copy worker this screen starts (`DoCopyFiles::setGate`).
    void setCopyGate(std::function<void(const QString&)> gate) { copyGate_ = std::move(gate); }

    const SharedFileNodeList& copyArr() const { return chosenRoots(); }
    DoCopyFiles* doCopy() const { return doCopy_.get(); }
    CopyMakeSureWC* makeSureWC() const { return makeSureWC_.get(); }
    CopyProgreWindowController* copyProgressWC() const { return copyProgressWC_.get(); }
    // Where the last copy went.
    const sources::OutputFolder& copyFolder() const { return copyFolder_; }

protected:
    void wholeSourceScanned() override;

private:
    bool copyRunning() const;

    std::unique_ptr<CopyMakeSureWC> makeSureWC_;
    std::unique_ptr<CopyProgreWindowController> copyProgressWC_;
    sources::OutputFolder copyFolder_;
    std::unique_ptr<DoCopyFiles> doCopy_;  // goes first: a run abandoned by it reports nothing more
    std::function<void(const QString&)> copyGate_;
};
