#include "simmac/diskutil/RenameVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/Mounter.h"
#include "simmac/state/StateTransaction.h"

namespace simmac {

QString RenameVerb::nameProblem(const QString& fileSystem, const QString& name) {
    return FileSystemType::isValidName(fileSystem, name)
               ? QString()
               : QStringLiteral("Failed to rename volume: the name is not valid for this file system");
}

// A sealed system snapshot and the volume it was taken of carry one name.
int RenameVerb::run(ToolContext& ctx, const QStringList& args) {
    if (args.size() != 2) {
        Diskutil::usage(QStringLiteral("rename"));
    }
    const QString& name = args.at(1);
    StateTransaction tx;
    const NodeRef node = tx.state().node(DeviceArgument::node(tx.state(), args.first()));
    const Volume& volume = *node.volume;
    if (!volume.hasFileSystem()) {
        throw ToolExit{1, QStringLiteral("Failed to rename volume: %1 has no file system").arg(volume.id)};
    }
    if (const QString problem = nameProblem(volume.fileSystem, name); !problem.isEmpty()) {
        throw ToolExit{1, problem};
    }
    if (volume.readOnly) {
        throw ToolExit{1, QStringLiteral("Failed to rename volume: the volume is read-only")};
    }
    const QString id = volume.id;
    const QString family = volume.isSnapshot() ? volume.snapshotOf : volume.id;
    Mounter mounter(tx);
    for (Volume& v : node.disk->children()) {
        if (v.id == family || v.snapshotOf == family) {
            mounter.rename(v, name);
        }
    }
    if (node.isWhole()) {
        mounter.rename(node.disk->whole, name);
    }
    tx.commit();
    ctx.console.line(QStringLiteral("Volume on %1 renamed to %2").arg(id, name));
    return 0;
}

}  // namespace simmac
