#pragma once

// What the Clone OS screen tells its owner, when the owner wants to know.
class SelectDrivceViewControllerDelegate {
public:
    virtual ~SelectDrivceViewControllerDelegate() = default;
    // False while a clone runs, true again once it has ended.
    virtual void canChangeTab(bool /*canChange*/) {}
};
