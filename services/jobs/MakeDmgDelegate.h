#pragma once

#include <QString>

// What a `MakeDmg` reports, synchronously on the main thread: the worker waits until each call returns.
class MakeDmgDelegate {
public:
    virtual ~MakeDmgDelegate() = default;
    // A status text, a file path or a chunk of zip's output, and the percent; 100 ends a job that succeeded.
    virtual void copyFileToDmgWithFileName(const QString& /*text*/, float /*percent*/) {}
    // The image was made and mounted at "/Volumes/TavrunDmg": the delegate now calls doCopyFilesToDmgWithDmg.
    virtual void beginToCopyDmg() {}
    // The job failed; `error` says why, in one or a few lines: the item and the system's error text, or the
    // tool's own words. Nothing follows.
    virtual void makeDmgFailWithError(const QString& /*error*/) {}
};
