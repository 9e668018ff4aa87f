#pragma once

#include "platform/NotificationCenter.h"

#include <QString>
#include <QUrl>

#include <functional>

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

    // Launches the application bundle at a host path (bundles are programs, not part of the Mac they work
    // on): a running instance of it (same bundle identifier, same simulated Mac) is brought to the front;
    // otherwise its executable is started, without an argument and without waiting. False when neither could
    // be done.
    static bool launchApplication(const QString& bundlePath);
    // Hands a web address to the user's default browser without waiting; false when that cannot be done.
    static bool openURL(const QUrl& url);

    // Tests record launches and addresses instead of performing them; an empty function restores the real
    // ones.
    static void setLaunchApplicationForTesting(std::function<bool(const QString& bundlePath)> launch);
    static void setOpenURLForTesting(std::function<bool(const QUrl& url)> open);
};

}  // namespace platform
