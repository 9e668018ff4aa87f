#pragma once

#include <QString>

#include <optional>

namespace platform {

// The File Manager's volume information.
class FileManager {
public:
    // Root folder of the mounted volume with this index (FSGetVolumeInfo by index): 1 is the startup
    // volume "/", then the other mounted volumes in the order of the Mac's inventory. Index 0 and any
    // index past the last volume fail.
    static std::optional<QString> volumeRootForIndex(int index);
};

}  // namespace platform
