#include "platform/Workspace.h"

#include "platform/Bundle.h"
#include "platform/LogCategories.h"
#include "platform/RunningApplication.h"
#include "platform/SimEventLog.h"
#include "platform/TestSettings.h"

#include <QProcess>
#include <QUrl>

#include <mutex>
#include <utility>

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

struct TestHooks {
    std::mutex mutex;
    std::function<bool(const QString&)> launch;
    std::function<bool(const QUrl&)> open;
};

TestHooks& testHooks() {
    static auto* hooks = new TestHooks;  // never destroyed
    return *hooks;
}

bool launchBundle(const QString& bundlePath) {
    const auto info = Bundle::infoDictionary(bundlePath);
    const QString identifier =
        info ? info->value(QStringLiteral("CFBundleIdentifier")).toString() : QString();
    const QString executable =
        info ? info->value(QStringLiteral("CFBundleExecutable")).toString() : QString();
    if (identifier.isEmpty() || executable.isEmpty() || executable.contains(u'/')) {
        qCWarning(lcPlatform) << "not an application bundle:" << bundlePath;
        return false;
    }
    const auto running = RunningApplication::runningApplicationsWithBundleIdentifier(identifier);
    if (!running.isEmpty()) {
        return running.first().activateWithOptions(RunningApplication::ActivateAllWindows |
                                                   RunningApplication::ActivateIgnoringOtherApps);
    }
    const QString program = bundlePath + QStringLiteral("/Contents/MacOS/") + executable;
    if (!QProcess::startDetached(program, {})) {
        qCWarning(lcPlatform) << "could not launch" << program;
        return false;
    }
    qCInfo(lcPlatform) << "launched" << bundlePath;
    return true;
}

}  // namespace

bool Workspace::launchApplication(const QString& bundlePath) {
    std::function<bool(const QString&)> hook;
    {
        std::lock_guard guard(testHooks().mutex);
        hook = testHooks().launch;
    }
    return hook ? hook(bundlePath) : launchBundle(bundlePath);
}

bool Workspace::openURL(const QUrl& url) {
    std::function<bool(const QUrl&)> hook;
    {
        std::lock_guard guard(testHooks().mutex);
        hook = testHooks().open;
    }
    if (!url.isValid() || url.isRelative()) {
        qCWarning(lcPlatform) << "not an address:" << url;
        return false;
    }
    if (hook) {
        return hook(url);
    }
    // The freedesktop opener stands in for the workspace: it hands the address to the default browser.
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)})) {
        qCWarning(lcPlatform) << "could not open" << url;
        return false;
    }
    return true;
}

void Workspace::setLaunchApplicationForTesting(std::function<bool(const QString&)> launch) {
    std::lock_guard guard(testHooks().mutex);
    restoreAfterTest([old = std::exchange(testHooks().launch, std::move(launch))] {
        std::lock_guard restoring(testHooks().mutex);
        testHooks().launch = old;
    });
}

void Workspace::setOpenURLForTesting(std::function<bool(const QUrl&)> open) {
    std::lock_guard guard(testHooks().mutex);
    restoreAfterTest([old = std::exchange(testHooks().open, std::move(open))] {
        std::lock_guard restoring(testHooks().mutex);
        testHooks().open = old;
    });
}

NotificationCenter& Workspace::notificationCenter() {
    WorkspaceCenter& w = workspace();
    SimEventLog::instance().follow();
    return w.center;
}

}  // namespace platform
