#pragma once

// What the First Aid output window tells its owner after "Complete" has closed it.
class ShowAidVCDelegate {
public:
    virtual ~ShowAidVCDelegate() = default;
    virtual void closeShowAidWindow() {}
};
