#include "app/shell/StartUp.h"

#include "app/shell/AppDelegate.h"
#include "platform/Bundle.h"
#include "platform/Dispatch.h"
#include "platform/LogCategories.h"
#include "platform/RunningApplication.h"
#include "platform/ToolProcess.h"
#include "platform/Workspace.h"

#include <QCoreApplication>
#include <QDir>

namespace {

platform::IOPMAssertionID assertionID = 0;  // the one process-wide assertion, written before the loop starts

}  // namespace

QString launcherBundlePath(const QString& applicationBundlePath) {
    return QDir::cleanPath(applicationBundlePath + QStringLiteral("/../../.."));
}

bool ZZManRunLoader() {
    if (qEnvironmentVariableIsSet(kHandOverVariable)) {
        qCInfo(lcApp) << "started by a hand-over without an argument; not handing over again";
        return false;
    }
    const QString launcher = launcherBundlePath(platform::Bundle::mainBundlePath());
    qputenv(kHandOverVariable, "1");
    const bool launched = platform::Workspace::launchApplication(launcher);
    if (!launched) {
        qunsetenv(kHandOverVariable);
    }
    qCInfo(lcApp) << "hand-over to" << launcher << (launched ? "done" : "failed");
    return launched;
}

void PreventSleep() {
    const QString name = platform::kIOPMAssertionTypePreventUserIdleDisplaySleep;
    if (platform::IOPMAssertionCreateWithName(name, platform::kIOPMAssertionLevelOn, name, &assertionID) ==
        platform::kIOReturnSuccess) {
        qCInfo(lcApp) << "prevent sleep!";
    }
}

platform::IOReturn ReleasePreventObj() {
    return platform::IOPMAssertionRelease(assertionID);
}

bool IsOnlyOneApp() {
    using platform::RunningApplication;
    const auto running =
        RunningApplication::runningApplicationsWithBundleIdentifier(AppDelegate::kBundleIdentifier);
    if (running.isEmpty()) {
        return true;
    }
    const qint64 current = RunningApplication::currentProcessIdentifier();
    for (const RunningApplication& application : running) {
        if (application.processIdentifier() != current) {
            application.activateWithOptions(RunningApplication::ActivateAllWindows |
                                            RunningApplication::ActivateIgnoringOtherApps);
            break;
        }
    }
    QCoreApplication::quit();
    return false;
}

int TavrunMain(int argc, char** argv, const ApplicationLoop& loop) {
    if (argc <= 1 && ZZManRunLoader()) {
        return 0;
    }
    // The marker has done its work; the tools this process starts need not carry it.
    qunsetenv(kHandOverVariable);
    PreventSleep();
    const int result = loop(argc, argv);
    ReleasePreventObj();
    return result;
}

namespace shell {

void endToolsAndWorkers() {
    platform::ToolProcess::endAll(kToolEndGrace);
    if (!platform::endGlobalQueue(kWorkerEndWait)) {
        qCWarning(lcApp) << "worker threads still busy at the end";
    }
    qCInfo(lcApp) << "tools and workers ended";
}

}  // namespace shell
