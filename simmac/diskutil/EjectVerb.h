#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil eject <device>: the physical disk behind the device (containers lead to their store's disk) is
// unmounted and goes to "Detached"; an attached image is detached into its file.
class EjectVerb {
public:
    static int run(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
