#include "simmac/diskutil/EraseDiskVerb.h"

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

#include "platform/FileSystem.h"

namespace simmac {
namespace {

constexpr qint64 kEfiSize = 209715200;
constexpr qint64 kGptOverhead = 40960;
constexpr qint64 kMbrOffset = 1048576;
constexpr int kSteps = 8;

struct Request {
    QString fileSystem;
    QString name;
    bool guid = true;
    QString argument;
};

Request parse(const QStringList& args) {
    if (args.size() != 3 && args.size() != 4) {
        Diskutil::usage(QStringLiteral("eraseDisk"));
    }
    Request r;
    const auto fs = FileSystemType::fromName(args.at(0));
    if (!fs) {
        throw ToolExit{1,
                       QStringLiteral("%1 does not appear to be a valid file system format").arg(args.at(0))};
    }
    r.fileSystem = *fs;
    r.name = FileSystemType::erasedName(r.fileSystem, args.at(1));
    r.argument = args.last();
    if (args.size() == 4) {
        const QString scheme = args.at(2).toUpper();
        if (scheme == QLatin1String("MBR") || scheme == QLatin1String("MBRFORMAT")) {
            r.guid = false;
        } else if (scheme != QLatin1String("GPT") && scheme != QLatin1String("GPTFORMAT")) {
            Diskutil::usage(QStringLiteral("eraseDisk"));
        }
    }
    if (const QString problem = RenameVerb::nameProblem(r.fileSystem, r.name); !problem.isEmpty()) {
        throw ToolExit{1, problem};
    }
    return r;
}

bool refusesUnmount(const SimState& state, const QString& diskId) {
    if (state.physicalDiskOf(state.rootVolume) == diskId) {
        return true;
    }
    const QStringList ids = UnmountPolicy::volumesOf(state, diskId);
    return std::any_of(ids.begin(), ids.end(), [&](const QString& id) {
        return UnmountPolicy::dissenter(state, *state.node(id).volume);
    });
}

// The new partition map; returns the node of the new volume.
QString repartition(StateTransaction& tx, const QString& diskId, const Request& r) {
    Topology topology(tx);
    topology.dropPartitions(diskId);
    Disk* disk = tx.state().disk(diskId);
    disk->whole.content =
        r.guid ? QStringLiteral("GUID_partition_scheme") : QStringLiteral("FDisk_partition_scheme");
    const qint64 size = disk->whole.size;
    if (!r.guid) {
        return topology.format(topology.addPartition(diskId, size - kMbrOffset, false).id, r.fileSystem,
                               r.name);
    }
    Volume& efi = topology.addPartition(diskId, kEfiSize, true);
    efi.content = QStringLiteral("EFI");
    efi.fileSystem = QStringLiteral("msdos-fat32");
    efi.name = QStringLiteral("EFI");
    efi.uuid = tx.state().newUuid();
    platform::FileSystem::mkpath(SimPaths::store(efi.uuid));  // an unmounted volume's content folder
    const QString data = topology.addPartition(diskId, size - kEfiSize - kGptOverhead, true).id;
    return topology.format(data, r.fileSystem, r.name);
}

// The file system as the "Formatting" line names it: by its personality, except that the FAT ones read as
// the real tool prints them, "MS-DOS (FAT32)".
QString formattedAs(const QString& fileSystem) {
    return FileSystemType::isFat(fileSystem) ? FileSystemType::userVisibleName(fileSystem)
                                             : FileSystemType::personality(fileSystem);
}

}  // namespace

int EraseDiskVerb::run(ToolContext& ctx, const QStringList& args) {
    const Request request = parse(args);
    const SimState before = StateTransaction::current();
    const QString diskId = DeviceArgument::wholeDisk(before, request.argument);
    const Disk& disk = *before.disk(diskId);
    if (disk.isContainer()) {
        throw ToolExit{
            1, QStringLiteral("%1 is an APFS Container; erase its physical disk instead").arg(diskId)};
    }
    if (disk.whole.size < kEfiSize + kGptOverhead + kMbrOffset) {
        throw ToolExit{1, QStringLiteral("Error: -69519: The target disk is too small for this operation")};
    }
    ctx.watch(diskId, {});
    const auto pause = ctx.config.eraseDelay / kSteps;
    const auto step = [&](const QString& line) {
        Console::pause(pause);
        ctx.ensureTargetPresent();
        ctx.console.line(line);
    };
    step(QStringLiteral("Started erase on %1").arg(diskId));
    step(QStringLiteral("Unmounting disk"));
    QString node;
    {
        StateTransaction tx;
        if (!tx.state().disk(diskId)) {
            throw ToolExit{1, ctx.disappearedMessage()};
        }
        if (refusesUnmount(tx.state(), diskId)) {
            throw ToolExit{1, QStringLiteral("Error: -69888: Couldn't unmount disk")};
        }
        node = repartition(tx, diskId, request);
        tx.commit();
    }
    step(QStringLiteral("Creating the partition map"));
    step(QStringLiteral("Waiting for partitions to activate"));
    step(QStringLiteral("Formatting %1 as %2 with name %3")
             .arg(node, formattedAs(request.fileSystem), request.name));
    step(FormatText::initialized(node, request.fileSystem, disk.whole.size - kEfiSize - kGptOverhead));
    step(QStringLiteral("Mounting disk"));
    {
        StateTransaction tx;
        const NodeRef created = tx.state().node(node);
        if (!created) {
            throw ToolExit{1, ctx.disappearedMessage()};
        }
        Topology(tx).mounter().mount(*created.volume);
        tx.commit();
    }
    step(QStringLiteral("Finished erase on %1").arg(diskId));
    return 0;
}

}  // namespace simmac
