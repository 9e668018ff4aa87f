#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace shelltest {

// Saves a picture under <build>/screenshots/app-shell/<name>.png for people to look at; returns the path.
QString saveScreenshot(QWidget* window, const QString& name);

// Copies a folder tree (files keep their permissions).
bool copyTree(const QString& from, const QString& to);

// The assembled application (or a copy of it) run as a child process on the offscreen platform, with the
// given simulated Mac. Standard output and error go to one file, which every process it starts inherits, so
// the log of a whole start (application, launcher, application again) can be read back.
class AppProcess {
public:
    explicit AppProcess(const QString& simRoot, const QString& executable = defaultExecutable());
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    static QString defaultExecutable();

    void setEnvironment(const QString& name, const QString& value) { environment_.insert(name, value); }
    void start(const QStringList& arguments);
    // Waits for the first process to end; its exit code, or -1 when it did not end in time.
    int waitForExit(int timeoutMs = 60000);
    bool waitForLog(const QString& text, int timeoutMs = 60000) const;
    QString log() const;
    int countInLog(const QString& text) const;
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    QProcessEnvironment environment_;
    QString logFile_;
};

// Ends a process that a test started (directly or through a launcher), by its id, and waits for it to go.
void endProcess(qint64 pid);
// The arguments a running process was started with (argv[0] included), from /proc.
QStringList commandLineOf(qint64 pid);

}  // namespace shelltest
