#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <optional>

namespace testsupport {

// Sets an environment variable for the life of the object and restores the old value after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value);
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv();

private:
    QByteArray name_;
    std::optional<QByteArray> old_;
};

// A fresh, empty simulated Mac folder (TAVRUN_SIM_ROOT) for one test.
class TempSimRoot {
public:
    TempSimRoot();
    const QString& path() const { return path_; }
    QString host(const QString& macPath) const { return path_ + macPath; }
    void writeFile(const QString& macPath, const QByteArray& content) const;

private:
    QTemporaryDir dir_;
    QString path_;
    ScopedEnv env_;
};

// Puts back, after every test, what the test set through the product's ...ForTesting setters, so that no
// setting reaches the next test of the same process. The tests' mains call it.
void restoreSettingsAfterEveryTest();

// The build folder (for tool roots and screenshots).
QString buildDir();

// Spins the event loop until `done` or the time-out; true when done.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Serves the event loop as QTest::qWait does (deferred deletions too) until `done`, looking every few
// milliseconds; false after the time-out.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 60000);
// Waits until `file` holds `count` lines: the tools that tests run write one when they start.
bool waitForLines(const QString& file, qsizetype count, int timeoutMs = 30000);
// Whether the process ignores SIGTERM by now (Linux: its status in /proc).
bool ignoresSigterm(qint64 pid);

}  // namespace testsupport
