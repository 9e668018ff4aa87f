#include "simmac/diskutil/EjectVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/hdiutil/ImageDisk.h"
#include "simmac/state/StateTransaction.h"

namespace simmac {
namespace {

// The refusals: a disk that is gone or not ejectable, or a volume that will not unmount.
void checkEjectable(const SimState& state, const QString& diskId, const QString& argument) {
    const Disk* disk = state.disk(diskId);
    if (disk == nullptr) {
        DeviceArgument::notFound(argument);
    }
    if (!disk->ejectable) {
        throw ToolExit{1, QStringLiteral("Disk %1 failed to eject: the disk is not ejectable").arg(argument)};
    }
    for (const QString& id : UnmountPolicy::volumesOf(state, diskId)) {
        if (const auto dissenter = UnmountPolicy::dissenter(state, *state.node(id).volume)) {
            throw ToolExit{1, UnmountPolicy::refusal(diskId, *dissenter).join(QLatin1Char('\n'))};
        }
    }
}

}  // namespace

// The refusals are looked at before anything is done and again under the lock, right before the disk goes:
// an image is packed back into its file in between, and the disk may change meanwhile.
int EjectVerb::run(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("eject"));
    }
    const QString& argument = args.first();
    const SimState state = StateTransaction::current();
    const QString diskId = state.physicalDiskOf(DeviceArgument::node(state, argument));
    const auto check = [&](const SimState& now) { checkEjectable(now, diskId, argument); };
    check(state);
    if (!ImageDisk::eject(diskId, check)) {
        throw ToolExit{1, QStringLiteral("Disk %1 failed to eject").arg(argument)};
    }
    ctx.console.line(QStringLiteral("Disk %1 ejected").arg(argument));
    return 0;
}

}  // namespace simmac
