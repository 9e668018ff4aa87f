#pragma once

struct VolumeObj;

// What a disk picker tile tells its picker.
class DiskListVCDelegate {
public:
    virtual ~DiskListVCDelegate() = default;
    // The user clicked the tile of `volume`.
    virtual void doSelectDiskWithVolume(const VolumeObj& /*volume*/) {}
};
