#include "simmac/diskutil/EjectVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/hdiutil/ImageDisk.h"
#include "simmac/state/StateTransaction.h"

namespace simmac {
namespace {

// The disk to eject, after the refusals: not ejectable, or a volume that will not unmount.
QString ejectable(const SimState& state, const QString& argument) {
    const QString diskId = state.physicalDiskOf(DeviceArgument::node(state, argument));
    if (!state.disk(diskId)->ejectable) {
        throw ToolExit{1, QStringLiteral("Disk %1 failed to eject: the disk is not ejectable").arg(argument)};
    }
    for (const QString& id : UnmountPolicy::volumesOf(state, diskId)) {
        if (const auto dissenter = UnmountPolicy::dissenter(state, *state.node(id).volume)) {
            throw ToolExit{1, UnmountPolicy::refusal(diskId, *dissenter).join(QLatin1Char('\n'))};
        }
    }
    return diskId;
}

}  // namespace

int EjectVerb::run(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("eject"));
    }
    const QString& argument = args.first();
    const SimState state = StateTransaction::current();
    const QString diskId = ejectable(state, argument);
    if (!ImageDisk::eject(diskId)) {
        throw ToolExit{1, QStringLiteral("Disk %1 failed to eject").arg(argument)};
    }
    ctx.console.line(QStringLiteral("Disk %1 ejected").arg(argument));
    return 0;
}

}  // namespace simmac
