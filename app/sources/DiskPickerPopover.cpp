#include "app/sources/DiskPickerPopover.h"

#include "app/sources/SelectDiskViewController.h"
#include "ui-kit/Palette.h"
#include "ui-kit/windows/PopoverGeometry.h"
#include "ui-kit/windows/QNPopoverController.h"

namespace sources {

DiskPickerPopover::DiskPickerPopover() = default;

DiskPickerPopover::~DiskPickerPopover() = default;

bool DiskPickerPopover::selectDiskButton(qint32 diskFrom, QWidget* control, const Style& style,
                                         SelectDiskVCDelegate* delegate) {
    if (isVisible()) {
        close();
        return false;
    }
    popoverController_.reset();
    selectDiskVC_ = std::make_unique<SelectDiskViewController>();
    selectDiskVC_->setSelectDiskVCDelegate(delegate);
    selectDiskVC_->setIsOnlyShowEx(style.isOnlyShowEx);
    selectDiskVC_->awakeFromNib();  // the list is built while the popover opens
    popoverController_ = std::make_unique<QNPopoverController>(selectDiskVC_.get());
    const QColor colour = kit::popoverEdge();
    popoverController_->setColor(colour);
    popoverController_->setBorderColor(colour);
    popoverController_->setBorderWidth(style.borderWidth);
    popoverController_->setAnimates(style.animates);
    if (control) {
        popoverController_->presentPopoverFromRect(
            control->rect(), control,
            diskFrom == 2 ? QNPopoverArrowDirectionRight : QNPopoverArrowDirectionLeft, true);
    }
    return true;
}

void DiskPickerPopover::close() {
    if (isVisible()) {
        popoverController_->closePopover();
    }
}

bool DiskPickerPopover::isVisible() const {
    return popoverController_ && popoverController_->popoverIsVisible();
}

}  // namespace sources
