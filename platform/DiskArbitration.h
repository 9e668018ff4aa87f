#pragma once

#include "platform/NotificationCenter.h"

#include <QString>

#include <functional>
#include <optional>

namespace platform {

// Disk Arbitration, answered from the simulated Mac.
class DiskArbitration {
public:
    using DiskCallback = std::function<void(const QString& bsdName)>;

    // A session scheduled on the main run loop: its callbacks run on the main thread for each disk or
    // node that appears or disappears from now on, until the session is destroyed.
    class Session {
    public:
        Session();
        void registerDiskAppearedCallback(DiskCallback callback);
        void registerDiskDisappearedCallback(DiskCallback callback);

    private:
        NotificationCenter::Token appeared_;
        NotificationCenter::Token disappeared_;
    };

    // The BSD name of the mounted volume that holds the path (a disk made from a volume path), after
    // links are resolved; nothing when the path does not exist or no volume holds it.
    static std::optional<QString> bsdNameForVolumePath(const QString& volumePath);
};

}  // namespace platform
