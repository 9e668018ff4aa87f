#pragma once

#include "simmac/state/SimState.h"

#include <QStringList>

#include <optional>

namespace simmac {

// Which volumes a whole-disk verb covers and which of them refuse to be unmounted.
class UnmountPolicy {
public:
    // The process that keeps a mounted volume from being unmounted ("PID 0 (kernel_task)" for the root
    // volume, "PID 4242 (simbusy)" for a busy one); nothing when it can be unmounted.
    static std::optional<QString> dissenter(const SimState& state, const Volume& volume);
    // The nodes of a whole disk that can carry a file system, with the volumes of the containers stored on
    // it when it is a physical disk.
    static QStringList volumesOf(const SimState& state, const QString& wholeDiskId);
    // The lines with which unmountDisk, eject and eraseDisk report a refused unmount.
    static QStringList refusal(const QString& diskId, const QString& dissenter);
};

}  // namespace simmac
