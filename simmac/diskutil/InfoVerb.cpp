#include "simmac/diskutil/InfoVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DiskInfo.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/state/DeviceResolver.h"
#include "simmac/state/StateTransaction.h"

namespace simmac {

int InfoVerb::run(ToolContext& ctx, const QStringList& args) {
    QStringList rest = args;
    if (rest.removeAll(QStringLiteral("-plist")) == 0) {
        throw ToolExit{1, QStringLiteral("simmac: only the -plist form of \"diskutil info\" is simulated")};
    }
    if (rest.size() != 1) {
        Diskutil::usage(QStringLiteral("info"));
    }
    const SimState state = StateTransaction::current();
    const auto id = DeviceResolver::resolve(state, rest.first());
    if (!id) {
        Diskutil::printPlist(ctx, DiskInfo::notFound(rest.first()));
        return 1;
    }
    UsageMeter usage(state, ctx.config.computeUsageFromFiles);
    Diskutil::printPlist(ctx, DiskInfo(state, usage).of(*id));
    return 0;
}

}  // namespace simmac
