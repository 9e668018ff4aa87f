#pragma once

#include "platform/NotificationCenter.h"

#include <QString>

namespace platform {

// The shared workspace's notification centre. It posts the did-mount and did-unmount notifications of
// the simulated Mac on the main thread, with the user info a Mac gives: the mount point as
// "NSDevicePath", the volume's name and its file URL.
class Workspace {
public:
    static inline const QString DidMountNotification = QStringLiteral("NSWorkspaceDidMountNotification");
    static inline const QString DidUnmountNotification = QStringLiteral("NSWorkspaceDidUnmountNotification");
    static inline const QString DevicePathKey = QStringLiteral("NSDevicePath");
    static inline const QString VolumeLocalizedNameKey = QStringLiteral("NSWorkspaceVolumeLocalizedNameKey");
    static inline const QString VolumeURLKey = QStringLiteral("NSWorkspaceVolumeURLKey");

    // Also starts following the current simulated Mac, from now on.
    static NotificationCenter& notificationCenter();
};

}  // namespace platform
