#pragma once

#include "services/files/DoCopyFilesDelegate.h"
#include "services/files/FileNode.h"

#include <QString>

#include <memory>

// Copies the checked part of a tree into a destination folder on the global queue: a checked item whole
// (links as links), a partly checked folder recreated around its checked content, a taken name numbered
// ("report 1.pdf"). It copies a snapshot taken when it starts and never changes the tree.
//
// An item that cannot be copied is logged and the run goes on, but it ends with `copyFileError` instead of
// its final 100; a missing destination folder ends it at once with `copyFileError`. A cancel ends it before
// the next item (the item being copied is finished). After a cancel or a failure report, or once the worker
// is destroyed, nothing more is reported. A folder that holds the destination is copied without the
// destination; the destination itself cannot be copied into itself and fails. A copy never enters another
// volume's mount point, keeps modes, times, extended attributes and holes, and gives a folder it makes anew
// the mode and times of the folder it stands for. The snapshot is taken on the global queue too.
class DoCopyFiles {
public:
    DoCopyFiles() = default;
    DoCopyFiles(const DoCopyFiles&) = delete;
    DoCopyFiles& operator=(const DoCopyFiles&) = delete;
    ~DoCopyFiles();

    // Clears the cancel request and starts; returns at once. A run still going on is abandoned.
    void doCopyFilesWithArr(const FileNodeList& roots, const QString& copyPath);
    // The name under which an item called `normalName` is stored in `folder`: `fileName` when it is free,
    // else the first free of "base 1.ext", "base 2.ext", … ("base 1" for a name without extension).
    static QString createFileWithPath(const QString& folder, const QString& normalName,
                                      const QString& fileName);

    bool isCancel() const;
    void setIsCancel(bool cancel);
    DoCopyFilesDelegate* delegate() const { return delegate_; }
    void setDelegate(DoCopyFilesDelegate* delegate) { delegate_ = delegate; }

private:
    class Run;

    std::shared_ptr<Run> run_;
    DoCopyFilesDelegate* delegate_ = nullptr;
};
