#include "app/sources/DiskPickerPopover.h"

#include "app/sources/SelectDiskViewController.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/QNPopoverController.h"

namespace sources {

DiskPickerPopover::DiskPickerPopover() = default;

DiskPickerPopover::~DiskPickerPopover() = default;

bool DiskPickerPopover::toggle(qint32 diskFrom, QWidget* control, SelectDiskVCDelegate* delegate,
                               const PopoverStyle& style) {
    if (isVisible()) {
        close();
        return false;
    }
    popoverController_.reset();
    selectDiskVC_ = std::make_unique<SelectDiskViewController>();
    selectDiskVC_->setSelectDiskVCDelegate(delegate);
    selectDiskVC_->setIsOnlyShowEx(style.onlyExternalDisks);
    popoverController_ = std::make_unique<QNPopoverController>(selectDiskVC_.get());
    const QColor colour = getColor(66, 66, 88, 1);
    popoverController_->setColor(colour);
    popoverController_->setBorderColor(colour);
    popoverController_->setBorderWidth(style.borderWidth);
    popoverController_->setAnimates(style.animates);
    popoverController_->presentPopoverFromRect(
        control->rect(), control, diskFrom == 2 ? QNPopoverArrowDirectionRight : QNPopoverArrowDirectionLeft,
        true);
    return true;
}

bool DiskPickerPopover::isVisible() const {
    return popoverController_ && popoverController_->popoverIsVisible();
}

void DiskPickerPopover::close() {
    if (isVisible()) {
        popoverController_->closePopover();
    }
}

}  // namespace sources
