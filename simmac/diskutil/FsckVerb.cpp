#include "simmac/diskutil/FsckVerb.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/DeviceArgument.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/Mounter.h"
#include "simmac/state/StateTransaction.h"

#include <functional>

namespace simmac {
namespace {

const QString kFailed = QStringLiteral("Error: -69845: File system verify or repair failed");

struct Target {
    QString id;
    QString name;
    QString fileSystem;
    QString mountPoint;
    bool damaged = false;
    bool refusesUnmount = false;
};

Target lookUp(ToolContext& ctx, const QStringList& args, const char* verb) {
    if (args.size() != 1) {
        Diskutil::usage(QLatin1String(verb));
    }
    const SimState state = StateTransaction::current();
    const ConstNodeRef node = state.node(DeviceArgument::node(state, args.first()));
    const Volume& v = *node.volume;
    if (!v.hasFileSystem()) {
        throw ToolExit{1, kFailed};
    }
    ctx.watch(v.id, v.uuid);
    return {v.id,         v.name,    v.fileSystem,
            v.mountPoint, v.damaged, UnmountPolicy::dissenter(state, v).has_value()};
}

// One paced line, after making sure the volume is still there.
void say(ToolContext& ctx, const QString& line) {
    Console::pause(ctx.config.lineDelay);
    ctx.ensureTargetPresent();
    ctx.console.line(line);
}

void checks(ToolContext& ctx) {
    for (const char* line : {"Checking volume", "Checking main boot region", "Checking active bitmap",
                             "Checking root directory", "Checking file system hierarchy"}) {
        say(ctx, QLatin1String(line));
    }
    for (int k = 1; k <= ctx.config.verifyExtraLines; ++k) {
        say(ctx, QStringLiteral("Checking item %1").arg(k));
    }
}

// Changes the target under the lock, unless it has disappeared meanwhile.
void update(ToolContext& ctx, const Target& t, const std::function<void(Mounter&, Volume&)>& change) {
    StateTransaction tx;
    const NodeRef node = tx.state().node(t.id);
    if (!node || node.volume->uuid != ctx.targetUuid) {
        throw ToolExit{1, ctx.disappearedMessage()};
    }
    Mounter mounter(tx);
    change(mounter, *node.volume);
    tx.commit();
}

QString originalState(const Target& t) {
    return QStringLiteral("Restoring the original state found as ") +
           (t.mountPoint.isEmpty() ? QStringLiteral("unmounted") : QStringLiteral("mounted"));
}

}  // namespace

int FsckVerb::verify(ToolContext& ctx, const QStringList& args) {
    const Target t = lookUp(ctx, args, "verifyVolume");
    const QString device = QStringLiteral("/dev/r") + t.id;
    say(ctx, QStringLiteral("Started file system verification on %1 (%2)").arg(t.id, t.name));
    say(ctx, QStringLiteral("Verifying file system"));
    if (!t.mountPoint.isEmpty()) {
        say(ctx, QStringLiteral("Volume could not be unmounted"));
        say(ctx, QStringLiteral("Using live mode"));
    }
    say(ctx, QStringLiteral("Performing %1 -n -x %2").arg(FileSystemType::fsckName(t.fileSystem), device));
    checks(ctx);
    if (t.damaged) {
        say(ctx, QStringLiteral("The volume %1 was found corrupt and needs to be repaired").arg(t.name));
        say(ctx, QStringLiteral("File system check exit code is 1"));
        say(ctx, originalState(t));
        throw ToolExit{1, kFailed};
    }
    say(ctx, QStringLiteral("The volume %1 appears to be OK").arg(t.name));
    say(ctx, QStringLiteral("File system check exit code is 0"));
    say(ctx, originalState(t));
    say(ctx, QStringLiteral("Finished file system verification on %1 (%2)").arg(t.id, t.name));
    return 0;
}

int FsckVerb::repair(ToolContext& ctx, const QStringList& args) {
    const Target t = lookUp(ctx, args, "repairVolume");
    say(ctx, QStringLiteral("Started file system repair on %1 (%2)").arg(t.id, t.name));
    if (t.refusesUnmount) {
        throw ToolExit{1, QStringLiteral("Error: -69842: Unable to unmount volume for repair")};
    }
    if (!t.mountPoint.isEmpty()) {
        update(ctx, t, [](Mounter& mounter, Volume& v) { mounter.unmount(v); });
        say(ctx, QStringLiteral("Volume was successfully unmounted"));
    }
    say(ctx,
        QStringLiteral("Performing %1 -y -x /dev/r%2").arg(FileSystemType::fsckName(t.fileSystem), t.id));
    checks(ctx);
    say(ctx, QStringLiteral("The volume %1 was repaired successfully").arg(t.name));
    say(ctx, QStringLiteral("File system check exit code is 0"));
    update(ctx, t, [&t](Mounter& mounter, Volume& v) {
        v.damaged = false;
        if (!t.mountPoint.isEmpty()) {
            mounter.mount(v, t.mountPoint);
        }
    });
    if (!t.mountPoint.isEmpty()) {
        say(ctx, QStringLiteral("Volume was successfully mounted"));
    }
    say(ctx, QStringLiteral("Finished file system repair on %1 (%2)").arg(t.id, t.name));
    return 0;
}

}  // namespace simmac
