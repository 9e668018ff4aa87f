#pragma once

class QNPopoverController;

// What a popover tells its delegate; a delegate overrides what it answers. Not owned by the controller:
// the delegate's owner clears it (setDelegate(nullptr)) before it goes.
class QNPopoverControllerDelegate {
public:
    virtual ~QNPopoverControllerDelegate() = default;
    // False keeps the popover open.
    virtual bool popoverShouldClose(QNPopoverController* /*popover*/) { return true; }
    virtual void popoverWillShow(QNPopoverController* /*popover*/) {}
    virtual void popoverDidShow(QNPopoverController* /*popover*/) {}
    virtual void popoverWillClose(QNPopoverController* /*popover*/) {}
    virtual void popoverDidClose(QNPopoverController* /*popover*/) {}
};
