#pragma once

#include "platform/NotificationCenter.h"

#include <QString>
#include <QVariantMap>

inline const QString RZVolumeMountNotification = QStringLiteral("RZVolumeMount");
inline const QString RZVolumeUnmountNotification = QStringLiteral("RZVolumeUnmount");

// Reposts the workspace's did-mount and did-unmount notifications on the default centre as
// "RZVolumeMount" and "RZVolumeUnmount", with the workspace's user info unchanged, on the main thread
// where the workspace delivers them. Create it on the main thread; it observes while it lives.
class WatchMountUnmount {
public:
    WatchMountUnmount();
    WatchMountUnmount(const WatchMountUnmount&) = delete;
    WatchMountUnmount& operator=(const WatchMountUnmount&) = delete;

    void registerNotifications();
    void mountedVolume(const QVariantMap& userInfo);
    void unmountedVolume(const QVariantMap& userInfo);

private:
    platform::NotificationCenter* wsnc;
    platform::NotificationCenter::Token mountToken_;
    platform::NotificationCenter::Token unmountToken_;
};
