#include "services/disks/WatchMountUnmount.h"

#include "platform/Workspace.h"

WatchMountUnmount::WatchMountUnmount() : wsnc(&platform::Workspace::notificationCenter()) {
    registerNotifications();
}

void WatchMountUnmount::registerNotifications() {
    mountToken_ = wsnc->addObserver(platform::Workspace::DidMountNotification,
                                    [this](const QVariantMap& userInfo) { mountedVolume(userInfo); });
    unmountToken_ = wsnc->addObserver(platform::Workspace::DidUnmountNotification,
                                      [this](const QVariantMap& userInfo) { unmountedVolume(userInfo); });
}

void WatchMountUnmount::mountedVolume(const QVariantMap& userInfo) {
    platform::NotificationCenter::defaultCenter().post(RZVolumeMountNotification, userInfo);
}

void WatchMountUnmount::unmountedVolume(const QVariantMap& userInfo) {
    platform::NotificationCenter::defaultCenter().post(RZVolumeUnmountNotification, userInfo);
}
