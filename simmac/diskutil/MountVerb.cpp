#include "simmac/diskutil/MountVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/state/Mounter.h"
#include "simmac/state/StateTransaction.h"

namespace simmac {
namespace {

[[noreturn]] void mountFailed(const QString& argument, bool wholeDisk) {
    QStringList lines{QStringLiteral("Volume on %1 failed to mount").arg(argument)};
    if (wholeDisk) {
        lines << QStringLiteral("Perhaps the operation is not supported (kDAReturnUnsupported)")
              << QStringLiteral("If it has a partitioning scheme, us \"diskutil mountDisk\"")
              << QStringLiteral("If you think the volume is supported but damaged, try \"readOnly\" option");
    }
    throw ToolExit{1, lines.join(QLatin1Char('\n'))};
}

}  // namespace

int MountVerb::mount(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("mount"));
    }
    const QString& argument = args.first();
    StateTransaction tx;
    const NodeRef node = tx.state().node(DeviceArgument::node(tx.state(), argument));
    Volume& volume = *node.volume;
    if (!volume.hasFileSystem() || volume.damaged) {
        mountFailed(argument, node.isWhole());
    }
    if (!Mounter(tx).mount(volume)) {
        mountFailed(argument, false);
    }
    const QString name = volume.name;
    tx.commit();
    ctx.console.line(QStringLiteral("Volume %1 on %2 mounted").arg(name, argument));
    return 0;
}

int MountVerb::unmount(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("unmount"));
    }
    StateTransaction tx;
    const NodeRef node = tx.state().node(DeviceArgument::node(tx.state(), args.first()));
    Volume& volume = *node.volume;
    const QString id = volume.id;
    if (!volume.isMounted()) {
        throw ToolExit{1, volume.hasFileSystem()
                              ? QStringLiteral("%1 was already unmounted").arg(id)
                              : QStringLiteral("%1 was already unmounted or it has a partition scheme so use "
                                               "\"diskutil unmountDisk\" instead")
                                    .arg(id)};
    }
    if (const auto dissenter = UnmountPolicy::dissenter(tx.state(), volume)) {
        throw ToolExit{1, QStringLiteral("Volume %1 on %2 failed to unmount: dissented by %3")
                              .arg(volume.name, id, *dissenter)};
    }
    Mounter(tx).unmount(volume);
    const QString name = volume.name;
    tx.commit();
    ctx.console.line(QStringLiteral("Volume %1 on %2 unmounted").arg(name, id));
    return 0;
}

}  // namespace simmac
