#pragma once

#include <QtGlobal>

#include <memory>

class QNPopoverController;
class QWidget;
class SelectDiskVCDelegate;
class SelectDiskViewController;

namespace sources {

// How a screen's popover looks and what its picker lists.
struct PopoverStyle {
    double borderWidth;
    bool animates;
    bool onlyExternalDisks;  // the picker's external-whole-disk mode
};
inline constexpr PopoverStyle kCopyDiskPopover{2, true, false};
inline constexpr PopoverStyle kCloneOSPopover{2, true, true};
inline constexpr PopoverStyle kDiskImagePopover{4, false, false};

// The disk picker in its popover, as the source and destination screens open it from a panel's drive icon:
// a new picker and popover for every opening (the previous ones are released then, never while a tile's
// click is being handled), coloured (66, 66, 88), pointing at the icon with the arrow on its right edge for
// the destination and on its left edge for the source, and following it.
class DiskPickerPopover {
public:
    DiskPickerPopover();
    ~DiskPickerPopover();
    DiskPickerPopover(const DiskPickerPopover&) = delete;
    DiskPickerPopover& operator=(const DiskPickerPopover&) = delete;

    // Closes the popover when it shows and answers false; otherwise opens a new one for panel `diskFrom`
    // whose picker tells `delegate`, and answers true.
    bool toggle(qint32 diskFrom, QWidget* control, SelectDiskVCDelegate* delegate, const PopoverStyle& style);
    bool isVisible() const;
    void close();

    SelectDiskViewController* selectDiskVC() const { return selectDiskVC_.get(); }
    QNPopoverController* popoverController() const { return popoverController_.get(); }

private:
    std::unique_ptr<SelectDiskViewController> selectDiskVC_;
    std::unique_ptr<QNPopoverController> popoverController_;  // released before the picker it shows
};

}  // namespace sources
