#include "services/jobs/SpotlightStore.h"

#include "platform/ToolProcess.h"
#include "services/disks/ExecCommand.h"

namespace jobs {

void endSpotlightStores(const platform::CancelFlag& stop) {
    platform::ToolProcess killall({QStringLiteral("killall"), {QStringLiteral("mds_stores")}});
    killall.setDeadline(commandDeadline());
    killall.setCancelFlag(stop);
    killall.run();
}

}  // namespace jobs
