#pragma once

// What the First Aid confirmation tells its owner after it has closed itself.
class FristAidVCDelegate {
public:
    virtual ~FristAidVCDelegate() = default;
    virtual void checkDiskAction() {}   // verify
    virtual void repairDiskAction() {}  // repair
};
