#include "platform/Workspace.h"

#include "platform/SimEventLog.h"

#include <QUrl>

namespace platform {
namespace {

struct WorkspaceCenter {
    NotificationCenter center;
    NotificationCenter::Token mounted;
    NotificationCenter::Token unmounted;
};

QVariantMap volumeUserInfo(const QVariantMap& event) {
    QString mountPoint = event.value(SimEventLog::kMountPoint).toString();
    QString directory = mountPoint.endsWith(u'/') ? mountPoint : mountPoint + u'/';
    return {{Workspace::DevicePathKey, mountPoint},
            {Workspace::VolumeLocalizedNameKey, event.value(SimEventLog::kVolumeName)},
            {Workspace::VolumeURLKey, QUrl::fromLocalFile(directory)}};
}

WorkspaceCenter& workspace() {
    static WorkspaceCenter* instance = [] {
        auto* w = new WorkspaceCenter;  // never destroyed
        NotificationCenter& events = SimEventLog::instance().center();
        w->mounted = events.addObserver(QStringLiteral("didMount"), [w](const QVariantMap& e) {
            w->center.post(Workspace::DidMountNotification, volumeUserInfo(e));
        });
        w->unmounted = events.addObserver(QStringLiteral("didUnmount"), [w](const QVariantMap& e) {
            w->center.post(Workspace::DidUnmountNotification, volumeUserInfo(e));
        });
        return w;
    }();
    return *instance;
}

}  // namespace

NotificationCenter& Workspace::notificationCenter() {
    WorkspaceCenter& w = workspace();
    SimEventLog::instance().follow();
    return w.center;
}

}  // namespace platform
