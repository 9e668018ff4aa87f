#include "simmac/asr/AsrRestore.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/state/ContentFolder.h"
#include "simmac/state/DeviceResolver.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/SystemVersion.h"
#include "simmac/state/Topology.h"
#include "simmac/state/UsageMeter.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <functional>

#include <unistd.h>

namespace simmac {
namespace {

constexpr int kSteps = 10;

[[noreturn]] void fail(const QString& message) {
    throw ToolExit{1, message};
}

// The size a restore can fill: an APFS volume's container, or the partition.
qint64 capacity(const SimState& state, const QString& id) {
    const ConstNodeRef node = state.node(id);
    return node.disk->isContainer() ? node.disk->whole.size : node.volume->size;
}

// The Preboot and Recovery volumes a bootable APFS container carries, copied (empty, unmounted) from the
// source's container when the target's has none.
void addSystemVolumes(StateTransaction& tx, const QString& sourceId, const QString& targetId) {
    SimState& state = tx.state();
    const Disk* sourceContainer = state.node(sourceId).disk;
    Disk* target = state.node(targetId).disk;
    if (!sourceContainer->isContainer() || !target->isContainer()) {
        return;
    }
    for (const char* role : {"Preboot", "Recovery"}) {
        const auto has = [&](const Disk& d) {
            return std::any_of(d.apfsVolumes.begin(), d.apfsVolumes.end(),
                               [&](const Volume& v) { return v.role == QLatin1String(role); });
        };
        if (!has(*sourceContainer) || has(*target)) {
            continue;
        }
        Volume v = Topology::apfsVolume(QLatin1String(role), state.newUuid());
        v.id = target->nextChildId();
        v.role = QLatin1String(role);
        platform::FileSystem::mkpath(SimPaths::store(v.uuid));  // an unmounted volume's content folder
        target->apfsVolumes.append(v);
        tx.record(QStringLiteral("diskAppeared"), v.id, {}, v.name);
    }
}

// Whether `id` still names the volume that had `uuid`: a disk unplugged (and maybe plugged in again)
// takes its nodes with it.
bool holds(const SimState& state, const QString& id, const QString& uuid) {
    const ConstNodeRef node = state.node(id);
    return node && node.volume->uuid == uuid;
}

}  // namespace

AsrRestore::AsrRestore(ToolContext& ctx, QString source, QString target, bool prompt)
    : ctx_(ctx), source_(std::move(source)), target_(std::move(target)), prompt_(prompt) {}

int AsrRestore::run() {
    QString targetId = validateTarget();
    const QString sourceId = validateSource(targetId);
    if (prompt_) {
        confirm(targetId);
    }
    validateSizes(sourceId, targetId);
    targetId = repartitionIfNeeded(sourceId, targetId);
    const SimState sourceState = StateTransaction::current();
    ensurePresent(sourceState);
    const bool apfs = FileSystemType::isApfs(sourceState.node(targetId).volume->fileSystem);
    const ContentFolder content = ContentFolder::of(sourceState, *sourceState.node(sourceId).volume);
    const QStringList units = content.copyUnits();
    const QString folder = prepareTarget(sourceId, targetId);
    pass(apfs ? QStringLiteral("Replicating") : QStringLiteral("Restoring"), [&](int step) {
        const qsizetype from = units.size() * (step - 1) / kSteps;
        const qsizetype to = units.size() * step / kSteps;
        for (qsizetype i = from; i < to; ++i) {
            if (!content.copyUnit(units.at(i), folder)) {
                fail(QStringLiteral("Could not restore - Input/output error"));
            }
        }
    });
    pass(QStringLiteral("Verifying"), [](int) {});
    fragment(QStringLiteral("\tRestored target device is /dev/%1.\n").arg(targetId));
    fragment(QStringLiteral("\tRemounting target volume..."));
    remount(sourceId, targetId);
    fragment(QStringLiteral("done\n"));
    if (SystemVersion::major() >= 13) {
        fragment(QStringLiteral("Restore completed successfully.\n"));
    }
    return 0;
}

void AsrRestore::fragment(const QString& text) {
    Console::pause(ctx_.config.asrStepDelay);
    ctx_.console.write(text);
}

void AsrRestore::ensurePresent(const SimState& state) const {
    const bool sourceGone = !sourceId_.isEmpty() && !holds(state, sourceId_, sourceUuid_);
    if (sourceGone || !holds(state, ctx_.target, ctx_.targetUuid)) {
        fail(ctx_.disappearedMessage());
    }
}

QString AsrRestore::validateTarget() {
    fragment(QStringLiteral("\tValidating target..."));
    const SimState state = StateTransaction::current();
    const auto id = DeviceResolver::resolve(state, target_);
    if (!id || !state.node(*id).volume->hasFileSystem()) {
        fail(QStringLiteral("Could not validate target - No such file or directory"));
    }
    const Volume& target = *state.node(*id).volume;
    if (UnmountPolicy::dissenter(state, target) || target.readOnly) {
        fail(QStringLiteral("Could not validate target - Resource busy"));
    }
    ctx_.watch(*id, target.uuid);
    fragment(QStringLiteral("done\n"));
    return *id;
}

QString AsrRestore::validateSource(const QString& targetId) {
    fragment(QStringLiteral("\tValidating source..."));
    const SimState state = StateTransaction::current();
    ensurePresent(state);
    const auto id = DeviceResolver::resolve(state, source_);
    if (!id || !state.node(*id).volume->hasFileSystem()) {
        fail(QStringLiteral("Could not validate source - No such file or directory"));
    }
    if (*id == targetId || state.physicalDiskOf(*id) == state.physicalDiskOf(targetId)) {
        fail(QStringLiteral("Could not validate source - Invalid argument"));
    }
    sourceId_ = *id;
    sourceUuid_ = state.node(*id).volume->uuid;
    fragment(QStringLiteral("done\n"));
    return *id;
}

// Anything but "y" or "Y" as the first byte, or no byte at all, cancels.
void AsrRestore::confirm(const QString& targetId) {
    fragment(QStringLiteral("\tErase contents of /dev/%1 (%2)? [ny]: ").arg(targetId, target_));
    char answer = 0;
    ssize_t n = 0;
    do {
        n = ::read(STDIN_FILENO, &answer, 1);
    } while (n < 0 && errno == EINTR);
    if (n != 1 || (answer != 'y' && answer != 'Y')) {
        fail(QStringLiteral("\nCould not restore - Operation canceled"));
    }
    ctx_.console.write(QStringLiteral("\n"));
}

void AsrRestore::validateSizes(const QString& sourceId, const QString& targetId) {
    fragment(QStringLiteral("\tValidating sizes..."));
    const SimState state = StateTransaction::current();
    ensurePresent(state);
    UsageMeter usage(state, ctx_.config.computeUsageFromFiles);
    if (usage.used(*state.node(sourceId).volume) > capacity(state, targetId)) {
        fail(QStringLiteral("Could not restore - Target is too small"));
    }
    fragment(QStringLiteral("done\n"));
}

// A target of another file-system family is made over in the source's: an APFS target's store partition
// when the source is not APFS, the partition itself otherwise. The line goes out before the change, so that
// nothing is written while the lock is held.
QString AsrRestore::repartitionIfNeeded(const QString& sourceId, const QString& targetId) {
    const SimState state = StateTransaction::current();
    ensurePresent(state);
    const QString sourceFs = state.node(sourceId).volume->fileSystem;
    if (FileSystemType::sameFamily(sourceFs, state.node(targetId).volume->fileSystem)) {
        return targetId;
    }
    fragment(QStringLiteral("\tRepartitioning target device...\n"));
    StateTransaction tx;
    ensurePresent(tx.state());
    const NodeRef target = tx.state().node(targetId);
    const QString node = target.disk->isContainer() ? target.disk->physicalStore : targetId;
    const QString formatted = Topology(tx).format(node, sourceFs, target.volume->name);
    ctx_.watch(formatted, tx.state().node(formatted).volume->uuid);
    tx.commit();
    return formatted;
}

// The target is unmounted, emptied, given a new UUID and the source's file system, and marked damaged until
// the restore has finished. Returns the folder its files go to.
QString AsrRestore::prepareTarget(const QString& sourceId, const QString& targetId) {
    StateTransaction tx;
    ensurePresent(tx.state());
    const QString sourceFs = tx.state().node(sourceId).volume->fileSystem;
    Volume& target = *tx.state().node(targetId).volume;
    Topology(tx).mounter().unmount(target);
    tx.discard(SimPaths::store(target.uuid));
    target.uuid = tx.state().newUuid();
    if (target.isApfs()) {
        target.diskUuid = target.uuid;
    }
    target.fileSystem = sourceFs;
    target.usedBytes = 0;
    target.damaged = true;
    const QString folder = SimPaths::store(target.uuid);
    ctx_.watch(targetId, target.uuid);
    tx.commit();
    if (!platform::FileSystem::mkpath(folder)) {
        fail(QStringLiteral("Could not restore - Input/output error"));
    }
    return folder;
}

// "<title>  ....10....20 … ....100": every number is a write of its own, with a pause before and after it.
void AsrRestore::pass(const QString& title, const std::function<void(int step)>& work) {
    fragment(QLatin1Char('\t') + title + QStringLiteral("  "));
    for (int step = 1; step <= kSteps; ++step) {
        fragment(QStringLiteral("...."));
        work(step);
        ctx_.ensureTargetPresent();
        Console::pause(ctx_.config.asrStepDelay);
        ctx_.console.progress(step * 10);
    }
    fragment(QStringLiteral("\n"));
}

void AsrRestore::remount(const QString& sourceId, const QString& targetId) {
    StateTransaction tx;
    ensurePresent(tx.state());
    const QString name = tx.state().node(sourceId).volume->name;
    const NodeRef target = tx.state().node(targetId);
    target.volume->damaged = false;
    target.volume->name = name;
    Topology(tx).mounter().mount(*target.volume);
    addSystemVolumes(tx, sourceId, targetId);
    tx.commit();
}

}  // namespace simmac
