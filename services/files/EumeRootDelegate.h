#pragma once

// What an `EumeRoot` tells its owner; every call is made on the main thread.
class EumeRootDelegate {
public:
    virtual ~EumeRootDelegate() = default;
    // A scan of a root path has ended (also when it found nothing).
    virtual void endScan() {}
    // A folder's entries were listed into its children.
    virtual void endEumeNode() {}
};
