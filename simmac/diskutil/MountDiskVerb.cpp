#include "simmac/diskutil/MountDiskVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/state/Mounter.h"
#include "simmac/state/StateTransaction.h"

namespace simmac {
namespace {

bool mountable(const Volume& v) {
    return v.hasFileSystem() && !v.isMounted() && !v.damaged && !v.isSnapshot() &&
           v.content != QLatin1String("EFI") && v.content != QLatin1String("Apple_Boot");
}

}  // namespace

int MountDiskVerb::mountDisk(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("mountDisk"));
    }
    StateTransaction tx;
    const QString diskId = DeviceArgument::wholeDisk(tx.state(), args.first());
    Mounter mounter(tx);
    for (const QString& id : UnmountPolicy::volumesOf(tx.state(), diskId)) {
        Volume& v = *tx.state().node(id).volume;
        if (mountable(v)) {
            mounter.mount(v);
        }
    }
    tx.commit();
    ctx.console.line(QStringLiteral("Volume(s) mounted successfully"));
    return 0;
}

// Volumes that can go are unmounted even when another one refuses, as the real tool leaves them.
int MountDiskVerb::unmountDisk(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("unmountDisk"));
    }
    StateTransaction tx;
    const QString diskId = DeviceArgument::wholeDisk(tx.state(), args.first());
    Mounter mounter(tx);
    QString refused;
    for (const QString& id : UnmountPolicy::volumesOf(tx.state(), diskId)) {
        Volume& v = *tx.state().node(id).volume;
        if (const auto dissenter = UnmountPolicy::dissenter(tx.state(), v)) {
            refused = *dissenter;
        } else {
            mounter.unmount(v);
        }
    }
    tx.commit();
    if (!refused.isEmpty()) {
        throw ToolExit{1, UnmountPolicy::refusal(diskId, refused).join(QLatin1Char('\n'))};
    }
    ctx.console.line(QStringLiteral("Unmount of all volumes on %1 was successful").arg(diskId));
    return 0;
}

}  // namespace simmac
