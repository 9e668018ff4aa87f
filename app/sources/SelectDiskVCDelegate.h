#pragma once

struct VolumeObj;

// What the disk picker tells the screen that shows it.
class SelectDiskVCDelegate {
public:
    virtual ~SelectDiskVCDelegate() = default;
    // The user chose `volume` (a record the picker made: see SelectDiskViewController). Called from inside
    // the tile's click: the screen may close the popover here, but must not destroy the picker until later.
    virtual void doSelectDiskWithVolume(const VolumeObj& /*volume*/) {}
};
