#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil verifyVolume <device> / repairVolume <device>: paced progress lines ("LineDelayMs" before each).
// Verify changes nothing and fails on a damaged volume; repair unmounts a mounted volume, clears the damage
// and mounts it again. Both stop when the volume disappears.
class FsckVerb {
public:
    static int verify(ToolContext& ctx, const QStringList& args);
    static int repair(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
