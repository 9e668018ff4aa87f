#pragma once

#include "simmac/state/SimState.h"

#include <QString>

#include <optional>

namespace simmac {

// Turns a device argument of diskutil or hdiutil into a node of the inventory. Accepted forms:
// "disk4s1", "/dev/disk4s1", "/dev/rdisk4s1", a disk or volume UUID in any case, and the mount point of a
// mounted volume (a trailing "/" and links inside the sim root are followed: "/Volumes/Macintosh HD" is "/").
class DeviceResolver {
public:
    static std::optional<QString> resolve(const SimState& state, const QString& argument);
    // The mounted volume whose mount point is the Mac path, after cleaning and following links.
    static std::optional<QString> byMountPoint(const SimState& state, const QString& macPath);
};

}  // namespace simmac
