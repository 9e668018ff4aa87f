#pragma once

#include <QString>

namespace simmac {

// Mac paths of the simulated Mac's own files, all below "/.sim" of the sim root (TAVRUN_SIM_ROOT).
class SimPaths {
public:
    static QString folder() { return QStringLiteral("/.sim"); }
    static QString state() { return QStringLiteral("/.sim/state.plist"); }
    static QString lock() { return QStringLiteral("/.sim/lock"); }
    static QString events() { return QStringLiteral("/.sim/events.log"); }
    static QString calls() { return QStringLiteral("/.sim/calls.log"); }
    static QString faults() { return QStringLiteral("/.sim/faults.plist"); }
    static QString config() { return QStringLiteral("/.sim/config.plist"); }
    static QString machine() { return QStringLiteral("/.sim/machine.plist"); }
    static QString systemVersion() {
        return QStringLiteral("/System/Library/CoreServices/SystemVersion.plist");
    }
    // Content of an unmounted volume. Empty (a path every file operation refuses) for a node without a
    // volume UUID, so that no operation can ever reach the store folder itself.
    static QString store(const QString& volumeUuid) {
        return volumeUuid.isEmpty() ? QString() : QStringLiteral("/.sim/store/") + volumeUuid;
    }
    // Removed content waits here until the state lock is released.
    static QString trash() { return QStringLiteral("/.sim/trash"); }
    // Work folders of one tool run (image unpacking, archive metadata).
    static QString staging() { return QStringLiteral("/.sim/staging"); }

    // Host path of a Mac path inside the sim root; empty when there is no root or the path escapes it.
    static QString host(const QString& macPath);
    // TAVRUN_SIM_ROOT is set and names a simulated Mac (its state file is readable).
    static bool rootIsReady();
};

}  // namespace simmac
