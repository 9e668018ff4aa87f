#include "simmac/diskutil/EjectVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/Topology.h"

namespace simmac {

int EjectVerb::run(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("eject"));
    }
    const QString& argument = args.first();
    StateTransaction tx;
    SimState& state = tx.state();
    const QString diskId = state.physicalDiskOf(DeviceArgument::node(state, argument));
    if (!state.disk(diskId)->ejectable) {
        throw ToolExit{1, QStringLiteral("Disk %1 failed to eject: the disk is not ejectable").arg(argument)};
    }
    for (const QString& id : UnmountPolicy::volumesOf(state, diskId)) {
        if (const auto dissenter = UnmountPolicy::dissenter(state, *state.node(id).volume)) {
            throw ToolExit{1, UnmountPolicy::refusal(diskId, *dissenter).join(QLatin1Char('\n'))};
        }
    }
    Topology(tx).unplug(diskId, true);
    tx.commit();
    ctx.console.line(QStringLiteral("Disk %1 ejected").arg(argument));
    return 0;
}

}  // namespace simmac
