#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace platform {

// RunningApplication::Registration: this process's place as the running instance of a bundle identifier, from
// construction until destruction. Create it on the main thread; `activate` is called there with the requested
// options.
class RunningApplicationRegistration : public QObject {
    Q_OBJECT

public:
    RunningApplicationRegistration(const QString& bundleIdentifier, const QString& bundlePath,
                                   std::function<void(unsigned options)> activate);
    ~RunningApplicationRegistration() override;
    RunningApplicationRegistration(const RunningApplicationRegistration&) = delete;
    RunningApplicationRegistration& operator=(const RunningApplicationRegistration&) = delete;

    // False when another live process holds the place, or the place could not be made.
    bool isRegistered() const { return registered_; }

private:
    void serve();

    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
    QString bundlePathFile_;
    std::function<void(unsigned)> activate_;
    bool registered_ = false;
};

// Stand-in for the workspace's list of running applications. An application is listed under its bundle
// identifier while a Registration of it lives: a lock file holds its place and a local server, named after
// the bundle identifier and the simulated Mac (TAVRUN_SIM_ROOT), takes requests to come to the front. Places
// are kept per user and per simulated Mac, so that two simulated Macs never see each other's applications.
class RunningApplication {
public:
    // activateWithOptions: all windows, and ahead of other applications.
    static constexpr unsigned ActivateAllWindows = 1;
    static constexpr unsigned ActivateIgnoringOtherApps = 2;

    // This process's place as the running instance of a bundle identifier (below).
    using Registration = RunningApplicationRegistration;

    // The running instances of the identifier: at most one, which may be this process.
    static QList<RunningApplication> runningApplicationsWithBundleIdentifier(const QString& bundleIdentifier);
    static qint64 currentProcessIdentifier();

    qint64 processIdentifier() const { return processIdentifier_; }
    const QString& bundleIdentifier() const { return bundleIdentifier_; }
    const QString& bundlePath() const { return bundlePath_; }
    // Asks the instance to come to the front; true when the request was delivered.
    bool activateWithOptions(unsigned options) const;

private:
    RunningApplication(qint64 pid, QString bundleIdentifier, QString bundlePath)
        : processIdentifier_(pid),
          bundleIdentifier_(std::move(bundleIdentifier)),
          bundlePath_(std::move(bundlePath)) {}

    qint64 processIdentifier_ = 0;
    QString bundleIdentifier_;
    QString bundlePath_;
};

}  // namespace platform
