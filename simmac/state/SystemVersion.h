#pragma once

#include <QString>

namespace simmac {

// The simulated Mac's system version, from "/System/Library/CoreServices/SystemVersion.plist".
class SystemVersion {
public:
    static QString productVersion();
    static int major();
    // macOS 11 and later boot from a sealed system snapshot and list mounted snapshots.
    static bool hasSealedSystem() { return major() >= 11; }
};

}  // namespace simmac
