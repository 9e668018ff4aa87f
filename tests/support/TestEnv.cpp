#include "tests/support/TestEnv.h"

#include "platform/TestSettings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace testsupport {
namespace {

class SettingsRestorer : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override { platform::restoreTestSettings(); }
};

}  // namespace

void restoreSettingsAfterEveryTest() {
    testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<SettingsRestorer>().release());
}

ScopedEnv::ScopedEnv(const char* name, const QString& value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) {
        old_ = qgetenv(name);
    }
    qputenv(name, value.toUtf8());
}

ScopedEnv::~ScopedEnv() {
    if (old_) {
        qputenv(name_.constData(), *old_);
    } else {
        qunsetenv(name_.constData());
    }
}

TempSimRoot::TempSimRoot()
    : path_(QFileInfo(dir_.path()).canonicalFilePath()), env_("TAVRUN_SIM_ROOT", path_) {}

void TempSimRoot::writeFile(const QString& macPath, const QByteArray& content) const {
    const QString file = host(macPath);
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(content);
    }
}

QString buildDir() {
    const QString fromEnv = qEnvironmentVariable("TAVRUN_BUILD_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(TAVRUN_BUILD_DIR) : fromEnv;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

bool waitForLines(const QString& file, qsizetype count, int timeoutMs) {
    return waitUntil(
        [&] {
            QFile in(file);
            return in.open(QIODevice::ReadOnly) && in.readAll().count('\n') == count;
        },
        timeoutMs);
}

bool ignoresSigterm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigIgn:")) {
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1U;
        }
    }
    return false;
}

}  // namespace testsupport
