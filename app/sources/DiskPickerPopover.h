#pragma once

#include <QtGlobal>

#include <memory>

class QNPopoverController;
class QWidget;
class SelectDiskVCDelegate;
class SelectDiskViewController;

namespace sources {

// The disk picker in its popover, opened the way the three screens open it: a new picker in a new popover
// for each opening, pointing at the drive icon of the panel that was pressed, to the right of a source panel
// and to the left of a destination panel (other sides when that does not fit on the screen). A press while
// the popover shows closes it instead. A screen keeps one beside its `openPopType`:
//
//     void DiskCopyViewController::selectDiskButton(qint32 diskFrom, QWidget* control) {
//         if (picker_.selectDiskButton(diskFrom, control, {}, this)) {
//             openPopType_ = diskFrom;
//         }
//     }
//     void DiskCopyViewController::doSelectDiskWithVolume(const VolumeObj& volume) {
//         picker_.close();
//         ...
//     }
//
// The picker and its popover live until the next opening (or this object), so closing from inside the
// picker's own callback is safe.
class DiskPickerPopover {
public:
    struct Style {
        bool isOnlyShowEx = false;  // the external-disk picker of Clone OS
        double borderWidth = 2;     // 4 on Create Disk Image
        bool animates = true;       // not on Create Disk Image
    };

    DiskPickerPopover();
    ~DiskPickerPopover();
    DiskPickerPopover(const DiskPickerPopover&) = delete;
    DiskPickerPopover& operator=(const DiskPickerPopover&) = delete;

    // Opens a new picker for panel `diskFrom` (1 source, 2 destination) at `control` and answers true; or,
    // while the popover shows, closes it and answers false. The delegate is the screen (not owned).
    bool selectDiskButton(qint32 diskFrom, QWidget* control, const Style& style,
                          SelectDiskVCDelegate* delegate);
    // Closes the popover if it shows.
    void close();
    bool isVisible() const;

    SelectDiskViewController* selectDiskVC() const { return selectDiskVC_.get(); }
    QNPopoverController* popoverController() const { return popoverController_.get(); }

private:
    std::unique_ptr<SelectDiskViewController> selectDiskVC_;
    std::unique_ptr<QNPopoverController> popoverController_;  // goes first: it hands the picker back
};

}  // namespace sources
