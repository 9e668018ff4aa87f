#include "simmac/diskutil/UnmountPolicy.h"

namespace simmac {

std::optional<QString> UnmountPolicy::dissenter(const SimState& state, const Volume& volume) {
    if (!volume.isMounted()) {
        return std::nullopt;
    }
    if (volume.id == state.rootVolume || volume.mountPoint == QLatin1String("/")) {
        return QStringLiteral("PID 0 (kernel_task)");
    }
    if (volume.busy) {
        return QStringLiteral("PID 4242 (simbusy)");
    }
    return std::nullopt;
}

QStringList UnmountPolicy::volumesOf(const SimState& state, const QString& wholeDiskId) {
    QStringList ids;
    const Disk* disk = state.disk(wholeDiskId);
    if (disk == nullptr) {
        return ids;
    }
    ids.append(disk->id());
    for (const Volume& v : disk->children()) {
        ids.append(v.id);
    }
    for (const QString& containerId : state.containersOn(wholeDiskId)) {
        for (const Volume& v : state.disk(containerId)->apfsVolumes) {
            ids.append(v.id);
        }
    }
    return ids;
}

QStringList UnmountPolicy::refusal(const QString& diskId, const QString& dissenter) {
    return {QStringLiteral("Unmount of %1 failed: at least one volume could not be unmounted").arg(diskId),
            QStringLiteral("Unmount was dissented by %1").arg(dissenter)};
}

}  // namespace simmac
