#include "simmac/diskutil/ResizeVolumeVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/RenameVerb.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SizeText.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/Topology.h"
#include "simmac/state/UsageMeter.h"

namespace simmac {
namespace {

constexpr qint64 kGptOverhead = 40960;

struct NewVolume {
    QString fileSystem;
    QString name;
    qint64 size = 0;
};

qint64 sizeArgument(const QString& text) {
    const auto size = SizeText::decimal(text);
    if (!size || *size <= 0) {
        Diskutil::usage(QStringLiteral("resizeVolume"));
    }
    return *size;
}

std::optional<NewVolume> newVolume(const QStringList& args) {
    if (args.size() == 2) {
        return std::nullopt;
    }
    if (args.size() != 5) {
        Diskutil::usage(QStringLiteral("resizeVolume"));
    }
    const auto fs = FileSystemType::fromName(args.at(2));
    if (!fs) {
        throw ToolExit{1,
                       QStringLiteral("%1 does not appear to be a valid file system format").arg(args.at(2))};
    }
    if (const QString problem = RenameVerb::nameProblem(*fs, args.at(3)); !problem.isEmpty()) {
        throw ToolExit{1, problem};
    }
    return NewVolume{*fs, args.at(3), sizeArgument(args.at(4))};
}

[[noreturn]] void tooSmall() {
    throw ToolExit{1, QStringLiteral("Error: -69519: The target disk is too small for this operation")};
}

}  // namespace

int ResizeVolumeVerb::run(ToolContext& ctx, const QStringList& args) {
    if (args.size() < 2) {
        Diskutil::usage(QStringLiteral("resizeVolume"));
    }
    const qint64 newSize = sizeArgument(args.at(1));
    const std::optional<NewVolume> added = newVolume(args);
    StateTransaction tx;
    const QString id = DeviceArgument::node(tx.state(), args.first());
    const NodeRef node = tx.state().node(id);
    if (node.isWhole() || node.disk->isContainer() || !FileSystemType::isResizable(node.volume->fileSystem) ||
        !node.volume->hasFileSystem()) {
        throw ToolExit{1, QStringLiteral("Error: -69743: The target disk is not resizable")};
    }
    qint64 others = 0;
    for (const Volume& p : node.disk->partitions) {
        others += p.id == id ? 0 : p.size;
    }
    const qint64 wanted = others + newSize + (added ? added->size : 0);
    if (newSize < UsageMeter(tx.state(), ctx.config.computeUsageFromFiles).used(*node.volume) ||
        wanted > node.disk->whole.size - kGptOverhead) {
        tooSmall();
    }
    node.volume->size = newSize;
    const QString diskId = node.disk->id();
    const bool guid = node.disk->whole.content == QLatin1String("GUID_partition_scheme");
    if (added) {
        Topology topology(tx);
        const QString partition = topology.addPartition(diskId, added->size, guid).id;
        const QString volume = topology.format(partition, added->fileSystem, added->name);
        topology.mounter().mount(*tx.state().node(volume).volume);
    }
    tx.commit();
    ctx.console.line(added ? QStringLiteral("Resizing to %1 bytes and adding 1 volume").arg(newSize)
                           : QStringLiteral("Resizing to %1 bytes").arg(newSize));
    ctx.console.line(QStringLiteral("Finished partitioning on %1").arg(diskId));
    return 0;
}

}  // namespace simmac
