// Hot-plug churn against the running application: a USB disk is plugged in and unplugged again and again on a
// simulated Mac (each change makes the Disk Tool read the volume list afresh, on worker threads) while the
// application's resident size is sampled. Prints one line per sample: seconds, plug cycles, resident MiB. A
// flat curve is the goal; a climbing one means freed memory is kept from the system.
//
//   hotplug_churn_bench [--minutes 20] [--interval-ms 500] [--sample-seconds 30]
//
// Build without sanitizers (their allocator is not the one the product ships with).

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
    std::chrono::minutes duration{20};
    std::chrono::milliseconds interval{500};
    std::chrono::seconds sample{30};
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
    app.setStandardOutputFile(QProcess::nullDevice());
    app.setStandardErrorFile(QProcess::nullDevice());
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
    while (std::chrono::milliseconds(clock.elapsed()) < options.duration &&
           app.state() == QProcess::Running) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::milliseconds(clock.elapsed()));
        if (elapsed >= nextSample) {
            std::printf("%lld,%d,%.1f\n", static_cast<long long>(elapsed.count()), cycles, residentMiB(pid));
            std::fflush(stdout);
            nextSample += options.sample;
        }
        const std::optional<QString> disk = simctl({QStringLiteral("attach"), QStringLiteral("usb-exfat"),
                                                    QStringLiteral("--name"), QStringLiteral("Churn")});
        QThread::msleep(static_cast<unsigned long>(options.interval.count()));
        if (disk) {
            simctl({QStringLiteral("detach"), *disk, QStringLiteral("--unplug")});
        }
        QThread::msleep(static_cast<unsigned long>(options.interval.count()));
        ++cycles;
    }
    std::printf("%lld,%d,%.1f\n", static_cast<long long>(clock.elapsed() / 1000), cycles, residentMiB(pid));
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    app.waitForFinished(30000);
    return app.state() == QProcess::NotRunning ? 0 : 1;
}
