#pragma once

#include "services/files/DoCopyFilesDelegate.h"
#include "services/files/FileNode.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// Copies the checked part of a tree into a destination folder on the global queue: a checked item whole
// (links as links), a partly checked folder recreated around its checked content, a taken name numbered
// ("report 1.pdf"). It copies a snapshot taken when it starts and never changes the tree.
//
// An item that cannot be copied, or anything inside a checked folder that cannot be read, is logged and the
// run goes on, but it ends with `copyFileError` instead of its final 100, with `failures` telling which items
// and why; a missing destination folder ends it at once with `copyFileError`. What vanished inside a folder
// between its listing and its copy is logged and left out. The final 100 comes only once the copy is on the
// destination's disk. A cancel stops the run before its next file, also inside a folder copied whole, and
// between the chunks of a big file, whose partial copy is removed. After a cancel or a failure report, or
// once the worker is destroyed, nothing more is reported but `copyStopped`. A folder that holds the
// destination is copied without the destination; the destination itself cannot be copied into itself and
// fails. A copy never enters another volume's mount point, copies a link as a link, keeps names byte for
// byte, modes, times, extended attributes and holes, and gives a folder it makes anew the mode and times of
// the folder it stands for. The snapshot is taken on the global queue too.
class DoCopyFiles {
public:
    // An item that could not be copied, and why.
    struct Failure {
        QString path;    // the source item, or the destination folder when that is what failed
        QString reason;  // the system's text for `error`
        int error = 0;   // the errno
    };
    // How many failures a run keeps; `failureCount` counts them all.
    static constexpr std::size_t kKeptFailures = 20;

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
    // The run's thread has not stopped yet (a cancelled run still finishes the file or chunk it is at).
    bool isRunning() const;
    // The first failures of the last run, and how many there were; read them on the main thread, from
    // `copyFileError` on.
    const std::vector<Failure>& failures() const { return failures_; }
    int failureCount() const { return failureCount_; }
    // For tests: called on the run's thread with the source path before each item and before each file of a
    // folder copied whole, so that a test can hold the run there. Set before the run starts.
    void setGate(std::function<void(const QString&)> gate) { gate_ = std::move(gate); }
    DoCopyFilesDelegate* delegate() const { return delegate_; }
    void setDelegate(DoCopyFilesDelegate* delegate) { delegate_ = delegate; }

private:
    class Run;

    std::shared_ptr<Run> run_;
    DoCopyFilesDelegate* delegate_ = nullptr;
    std::function<void(const QString&)> gate_;
    std::vector<Failure> failures_;
    int failureCount_ = 0;
};
