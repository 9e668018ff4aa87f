// Hot-plug churn against the running application: a USB disk is plugged in and unplugged again and again on a
// simulated Mac (each change makes the Disk Tool read the volume list afresh, on worker threads) while the
// application's resident size is sampled. Prints one line per sample: seconds, plug cycles, resident MiB. A
// flat curve is the goal; a climbing one means the application keeps memory it no longer uses.
//
//   hotplug_churn_bench [--minutes 3] [--interval-ms 250] [--sample-seconds 15]
//
// The same disk comes back each time, as a user's stick does, so the simulated Mac stays the same size and
// only the application can grow. If the application ends before the churn does, its exit and the end of its
// log are printed. Build without sanitizers (their allocator is not the one the product ships with).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <optional>

#include <signal.h>

namespace {

using namespace std::chrono_literals;

struct Options {
    std::chrono::minutes duration{3};
    std::chrono::milliseconds interval{250};
    std::chrono::seconds sample{15};
};

Options parse(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = arguments[i + 1].toInt();
        if (arguments[i] == u"--minutes") {
            options.duration = std::chrono::minutes(value);
        } else if (arguments[i] == u"--interval-ms") {
            options.interval = std::chrono::milliseconds(value);
        } else if (arguments[i] == u"--sample-seconds") {
            options.sample = std::chrono::seconds(value);
        }
    }
    return options;
}

// simctl's standard output; nothing when it fails.
std::optional<QString> simctl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(TAVRUN_SIMCTL), arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "simctl %s failed: %s\n", qPrintable(arguments.join(u' ')),
                     process.readAllStandardError().constData());
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

double residentMiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const auto match = QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+) kB"))
                           .match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const Options options = parse(application.arguments());
    QTemporaryDir folder;
    const QString mac = folder.filePath(QStringLiteral("mac"));
    qputenv("TAVRUN_SIM_ROOT", mac.toUtf8());
    qputenv("TAVRUN_TOOL_ROOT", TAVRUN_TOOL_ROOT);
    if (!simctl(
            {QStringLiteral("init"), mac, QStringLiteral("--preset"), QStringLiteral("apple-silicon-13")})) {
        return 1;
    }
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    app.setProcessEnvironment(environment);
    const QString log = folder.filePath(QStringLiteral("Tavrun.log"));
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.setStandardOutputFile(log);
    app.start(QStringLiteral(TAVRUN_APP), {QStringLiteral("en*loaderflag*")});
    if (!app.waitForStarted(-1)) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    const qint64 pid = app.processId();
    QThread::sleep(5);  // the first volume list

    std::printf("seconds,cycles,resident_mib\n");
    QElapsedTimer clock;
    clock.start();
    std::chrono::seconds nextSample{0};
    int cycles = 0;
    std::optional<QString> disk;
    while (std::chrono::milliseconds(clock.elapsed()) < options.duration &&
           app.state() == QProcess::Running) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::milliseconds(clock.elapsed()));
        if (elapsed >= nextSample) {
            std::printf("%lld,%d,%.1f\n", static_cast<long long>(elapsed.count()), cycles, residentMiB(pid));
            std::fflush(stdout);
            nextSample += options.sample;
        }
        // An unplugged disk waits in the simulated Mac under the name it had; plugged in again, it gets a new
        // one.
        disk = simctl(disk ? QStringList{QStringLiteral("attach"), *disk}
                           : QStringList{QStringLiteral("attach"), QStringLiteral("usb-exfat"),
                                         QStringLiteral("--name"), QStringLiteral("Churn")});
        QThread::msleep(static_cast<unsigned long>(options.interval.count()));
        if (disk && !simctl({QStringLiteral("detach"), *disk, QStringLiteral("--unplug")})) {
            disk.reset();
        }
        QThread::msleep(static_cast<unsigned long>(options.interval.count()));
        ++cycles;
    }
    if (app.state() != QProcess::Running) {
        QFile output(log);
        const QByteArray text = output.open(QIODevice::ReadOnly) ? output.readAll() : QByteArray();
        std::fprintf(stderr, "the application ended during the churn (exit status %d); its log ends:\n%s\n",
                     app.exitCode(), text.right(2000).constData());
        return 1;
    }
    std::printf("%lld,%d,%.1f\n", static_cast<long long>(clock.elapsed() / 1000), cycles, residentMiB(pid));
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    app.waitForFinished(30000);
    return app.state() == QProcess::NotRunning ? 0 : 1;
}
