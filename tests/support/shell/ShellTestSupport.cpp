#include "tests/support/shell/ShellTestSupport.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>
#include <QWidget>

#include <csignal>

namespace shelltest {

QString saveScreenshot(QWidget* window, const QString& name) {
    const QString folder = testsupport::buildDir() + QStringLiteral("/screenshots/app-shell");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name + QStringLiteral(".png");
    // Painted on the desktop grey a window server would show around a translucent window.
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x8A, 0x8F, 0x99));
    window->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    image.save(path);
    return path;
}

bool copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    if (!QDir().mkpath(to)) {
        return false;
    }
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target)) {
                return false;
            }
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}

AppProcess::AppProcess(const QString& simRoot, const QString& executable)
    : environment_(QProcessEnvironment::systemEnvironment()) {
    environment_.insert("TAVRUN_SIM_ROOT", simRoot);
    environment_.insert("QT_QPA_PLATFORM", "offscreen");
    environment_.insert("QT_LOGGING_RULES", "tavrun.*.info=true");
    environment_.remove("TAVRUN_HANDED_OVER");
    QTemporaryFile log(QDir::tempPath() + QStringLiteral("/app-shell-log-XXXXXX"));
    log.setAutoRemove(false);
    log.open();
    logFile_ = log.fileName();
    process_.setProgram(executable);
}

AppProcess::~AppProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
    QFile::remove(logFile_);
}

QString AppProcess::defaultExecutable() {
    return QStringLiteral(TAVRUN_APP_BUNDLE) + QStringLiteral("/Contents/MacOS/Tavrun");
}

void AppProcess::start(const QStringList& arguments) {
    process_.setProcessEnvironment(environment_);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(logFile_, QIODevice::Append);
    process_.setArguments(arguments);
    process_.start();
    process_.waitForStarted(10000);
}

int AppProcess::waitForExit(int timeoutMs) {
    if (!process_.waitForFinished(timeoutMs) || process_.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process_.exitCode();
}

QString AppProcess::log() const {
    QFile file(logFile_);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool AppProcess::waitForLog(const QString& text, int timeoutMs) const {
    return testsupport::waitUntil([&] { return log().contains(text); }, timeoutMs);
}

int AppProcess::countInLog(const QString& text) const {
    return static_cast<int>(log().count(text));
}

void endProcess(qint64 pid) {
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), SIGKILL) != 0) {
        return;
    }
    // Gone once /proc no longer lists it, or lists a zombie whose other threads have ended (a child of
    // another process is reaped by it). The leader turns zombie while its other threads still hold the open
    // files.
    testsupport::waitUntil(
        [pid] {
            QFile status(QStringLiteral("/proc/%1/status").arg(pid));
            if (!status.open(QIODevice::ReadOnly)) {
                return true;
            }
            const QByteArray text = status.readAll();
            return text.contains("\nState:\tZ") && text.contains("\nThreads:\t1\n");
        },
        10000);
}

QStringList commandLineOf(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList arguments;
    for (const QByteArray& part : file.readAll().split('\0')) {
        arguments.append(QString::fromLocal8Bit(part));
    }
    if (!arguments.isEmpty() && arguments.last().isEmpty()) {
        arguments.removeLast();  // the list ends with a NUL
    }
    return arguments;
}

}  // namespace shelltest
