#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace platform {

// Read-only access to the simulated Mac's inventory ("<root>/.sim/state.plist", read under the shared
// lock of "<root>/.sim/lock") and its machine facts ("<root>/.sim/machine.plist"). Without a
// simulated Mac, or when a file cannot be read, there is nothing.
class SimInventory {
public:
    static std::optional<QVariantMap> state();
    static std::optional<QVariantMap> machine();

    // Every volume record in state order: each disk's partitions and APFS volumes, and a whole disk that
    // carries a file system itself.
    static QList<QVariantMap> volumes(const QVariantMap& state);
    // The mounted ones, "/" first, then the others in state order.
    static QList<QVariantMap> mountedVolumes(const QVariantMap& state);
};

}  // namespace platform
