#include "simmac/diskutil/EraseVolumeVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/FormatText.h"
#include "simmac/diskutil/RenameVerb.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/Topology.h"

namespace simmac {
namespace {

QString fileSystemCode(const QString& name) {
    const auto code = FileSystemType::fromName(name);
    if (!code) {
        throw ToolExit{1, QStringLiteral("%1 does not appear to be a valid file system format").arg(name)};
    }
    return *code;
}

// What refuses the erase before anything changes.
void checkErasable(ConstNodeRef node, const QString& fileSystem) {
    const Volume& v = *node.volume;
    if (node.isWhole() && (!v.hasFileSystem() || FileSystemType::isApfs(fileSystem))) {
        throw ToolExit{1, QStringLiteral("Use \"diskutil eraseDisk\" for a whole disk")};
    }
    if (node.disk->isContainer() && !FileSystemType::isApfs(fileSystem)) {
        throw ToolExit{
            1, QStringLiteral("Error: -69624: Unable to erase an APFS volume with another file system")};
    }
}

// The mounted volumes the erase has to unmount first: the node, or the volumes of a container on it.
std::optional<QString> dissenter(const SimState& state, const Volume& v) {
    if (const auto d = UnmountPolicy::dissenter(state, v)) {
        return d;
    }
    if (const Disk* container = state.containerOnStore(v.id)) {
        for (const Volume& inner : container->apfsVolumes) {
            if (const auto d = UnmountPolicy::dissenter(state, inner)) {
                return d;
            }
        }
    }
    return std::nullopt;
}

// Erases in place: an APFS volume stays in its container, anything else goes through the formatter.
QString eraseNode(StateTransaction& tx, const QString& id, const QString& fileSystem, const QString& name) {
    const NodeRef node = tx.state().node(id);
    if (!node.disk->isContainer()) {
        return Topology(tx).format(id, fileSystem, name);
    }
    Volume& v = *node.volume;
    Topology(tx).mounter().unmount(v);
    tx.discard(SimPaths::store(v.uuid));
    v.uuid = v.diskUuid = tx.state().newUuid();
    v.fileSystem = fileSystem;
    v.name = name;
    v.usedBytes = 0;
    v.damaged = false;
    return id;
}

// The erase itself, under the lock: while its first lines were written the volume may have gone or been
// made busy.
QString eraseLocked(const ToolContext& ctx, const QString& id, const QString& fileSystem,
                    const QString& name) {
    StateTransaction tx;
    const NodeRef node = tx.state().node(id);
    if (!node) {
        throw ToolExit{1, ctx.disappearedMessage()};
    }
    if (dissenter(tx.state(), *node.volume)) {
        throw ToolExit{1, QStringLiteral("Error: -69888: Couldn't unmount disk")};
    }
    const QString erased = eraseNode(tx, id, fileSystem, name);
    Topology(tx).mounter().mount(*tx.state().node(erased).volume);
    tx.commit();
    return erased;
}

}  // namespace

int EraseVolumeVerb::eraseVolume(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 3) {
        Diskutil::usage(QStringLiteral("eraseVolume"));
    }
    return erase(ctx, args.at(2), args.at(0), &args.at(1));
}

int EraseVolumeVerb::reformat(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Diskutil::usage(QStringLiteral("reformat"));
    }
    return erase(ctx, args.at(0), {}, nullptr);
}

int EraseVolumeVerb::erase(ToolContext& ctx, const QString& argument, const QString& fileSystemName,
                           const QString* name) {
    const QString requested = fileSystemName.isEmpty() ? QString() : fileSystemCode(fileSystemName);
    const SimState state = StateTransaction::current();
    const QString id = DeviceArgument::node(state, argument);
    const ConstNodeRef node = state.node(id);
    const QString fileSystem = requested.isEmpty() ? node.volume->fileSystem : requested;
    if (fileSystem.isEmpty()) {
        throw ToolExit{1, QStringLiteral("%1 has no file system to reformat").arg(id)};
    }
    checkErasable(node, fileSystem);
    const QString newName = FileSystemType::erasedName(fileSystem, name ? *name : node.volume->name);
    if (const QString problem = RenameVerb::nameProblem(fileSystem, newName); !problem.isEmpty()) {
        throw ToolExit{1, problem};
    }
    ctx.console.line(QStringLiteral("Started erase on %1 %2").arg(id, node.volume->name).trimmed());
    ctx.console.line(QStringLiteral("Unmounting disk"));
    const QString erased = eraseLocked(ctx, id, fileSystem, newName);
    ctx.console.line(QStringLiteral("Erasing"));
    ctx.console.line(FormatText::initialized(erased, fileSystem, node.volume->size));
    ctx.console.line(QStringLiteral("Mounting disk"));
    ctx.console.line(QStringLiteral("Finished erase on %1 (%2)").arg(id, newName));
    return 0;
}

}  // namespace simmac
