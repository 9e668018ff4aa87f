#include "simmac/diskutil/ListVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DiskInfo.h"
#include "simmac/diskutil/DiskList.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/state/DeviceResolver.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/SystemVersion.h"

namespace simmac {

int ListVerb::run(ToolContext& ctx, const QStringList& args) {
    QStringList rest = args;
    if (rest.removeAll(QStringLiteral("-plist")) == 0) {
        throw ToolExit{1, QStringLiteral("simmac: only the -plist form of \"diskutil list\" is simulated")};
    }
    if (rest.size() > 1) {
        Diskutil::usage(QStringLiteral("list"));
    }
    const SimState state = StateTransaction::current();
    UsageMeter usage(state, ctx.config.computeUsageFromFiles);
    DiskList list(state, usage, SystemVersion::hasSealedSystem());
    if (rest.isEmpty()) {
        Diskutil::printPlist(ctx, list.all());
        return 0;
    }
    const auto id = DeviceResolver::resolve(state, rest.first());
    if (!id) {
        Diskutil::printPlist(ctx, DiskInfo::notFound(rest.first()));
        return 1;
    }
    Diskutil::printPlist(ctx, list.of(state.wholeDiskOf(*id)));
    return 0;
}

}  // namespace simmac
