#pragma once

#include <QString>

// What a `DoCopyFiles` reports, synchronously on the main thread: the worker waits until each call returns.
class DoCopyFilesDelegate {
public:
    virtual ~DoCopyFilesDelegate() = default;
    // 5 before the first item, then after every top-level item; exactly 100 at the end of a run that copied
    // everything it was given.
    virtual void topCopyProgress(float /*percent*/) {}
    // The source path of the item about to be copied.
    virtual void topCopyFilePath(const QString& /*path*/) {}
    // The run failed (an item could not be copied, or its destination folder is missing); the worker's
    // `failures` say which and why. Nothing follows but `copyStopped`.
    virtual void copyFileError() {}
    // The run's thread has stopped, however the run ended (delivered without waiting, after every other
    // report).
    virtual void copyStopped() {}
};
