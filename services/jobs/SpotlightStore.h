#pragma once

#include "platform/CancelFlag.h"

namespace jobs {

// Ends the Spotlight store process ("killall mds_stores") before a volume is erased or resized, and waits for
// it; a stop request ends the wait. Whether a process was found does not matter.
void endSpotlightStores(const platform::CancelFlag& stop = {});

}  // namespace jobs
