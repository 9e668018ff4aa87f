#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil resizeVolume <partition> <size> [<fs> <name> <size>]: the partition shrinks (or grows) and an
// optional new partition of that file system and name follows it, mounted.
class ResizeVolumeVerb {
public:
    static int run(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
