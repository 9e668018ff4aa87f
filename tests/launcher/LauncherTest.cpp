#include "launcher/RunScript.h"

#include "tests/support/TestEnv.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::Authorization;

namespace {

// Reads `fd` to its end, which comes when every process holding the pipe's write end has ended; false at
// the deadline.
bool readsToTheEnd(int fd, QDeadlineTimer deadline) {
    pollfd entry{fd, POLLIN, 0};
    char byte = 0;
    while (::poll(&entry, 1, static_cast<int>(deadline.remainingTime())) > 0) {
        if (::read(fd, &byte, 1) <= 0) {
            return true;
        }
    }
    return false;
}

// A launcher bundle in a temporary folder, with a recording program as the application.
class LauncherBundle {
public:
    LauncherBundle() {
        const QString macos = dir_.path() + "/TavrunLauncher.app/Contents/MacOS";
        const QString appMacos = macos + "/Tavrun.app/Contents/MacOS";
        QDir().mkpath(appMacos);
        launcher_ = macos + "/TavrunLauncher";
        app_ = appMacos + "/Tavrun";
        QFile::copy(LAUNCHER_PATH, launcher_);
        QFile::copy(RECORDSTART_PATH, app_);
        record_ = dir_.path() + "/starts.txt";
    }

    // Runs the launcher and returns the starts once it and every program it started have ended: they
    // all inherit the write end of a pipe, the launcher's children from the launcher.
    QStringList run(const QProcessEnvironment& extra, QString* log = nullptr) const {
        int ends[2] = {-1, -1};
        EXPECT_EQ(::pipe(ends), 0);
        ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("TAVRUN_SIM_AUTH");
        env.remove("TAVRUN_SIM_ROOT");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TAVRUN_TEST_RECORD", record_);
        for (const QString& key : extra.keys()) {
            env.insert(key, extra.value(key));
        }
        process.setProcessEnvironment(env);
        process.start(launcher_, {});
        ::close(ends[1]);
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << "the launcher always ends with status 0";
        if (log) {
            *log = QString::fromUtf8(process.readAllStandardError());
        }
        EXPECT_TRUE(readsToTheEnd(ends[0], QDeadlineTimer(30000))) << "a started program did not end";
        ::close(ends[0]);
        return starts();
    }

    QStringList starts() const {
        QFile file(record_);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    const QString& app() const { return app_; }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString launcher_;
    QString app_;
    QString record_;
};

QProcessEnvironment simEnv(const QString& root, const QString& decision) {
    QProcessEnvironment env;
    env.insert("TAVRUN_SIM_ROOT", root);
    env.insert("TAVRUN_SIM_AUTH", decision);
    return env;
}

}  // namespace

TEST(Launcher, AllowedStartsTheApplicationOnceWithItsOneArgument) {
    LauncherBundle bundle;
    QTemporaryDir sim;
    const QStringList starts = bundle.run(simEnv(sim.path(), "allow"));
    ASSERT_EQ(starts.size(), 1);
    EXPECT_EQ(starts.first(), "1|en*loaderflag*|sim=" + sim.path())
        << "unprivileged, with the sim's environment";
}

TEST(Launcher, DeniedOrCancelledStartsNothing) {
    for (const char* decision : {"deny", "cancel", "nonsense"}) {
        LauncherBundle bundle;
        QTemporaryDir sim;
        EXPECT_TRUE(bundle.run(simEnv(sim.path(), decision)).isEmpty()) << decision;
    }
}

TEST(Launcher, MissingApplicationEndsWithZeroAndALogLine) {
    LauncherBundle bundle;
    QFile::remove(bundle.app());
    QTemporaryDir sim;
    QString log;
    bundle.run(simEnv(sim.path(), "allow"), &log);
    EXPECT_TRUE(log.contains("could not start")) << log.toStdString();
}

TEST(Launcher, PrivilegedStartRefusesAReplaceableExecutable) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the privileged path without a simulated Mac needs root";
    }
    LauncherBundle bundle;
    const QProcessEnvironment real;  // no simulated Mac
    ::chmod(QFile::encodeName(QFileInfo(bundle.app()).path()).constData(), 0777);
    QString log;
    EXPECT_TRUE(bundle.run(real, &log).isEmpty());
    EXPECT_TRUE(log.contains("writable by other users")) << log.toStdString();

    ::chmod(QFile::encodeName(QFileInfo(bundle.app()).path()).constData(), 0755);
    const QStringList starts = bundle.run(real);
    ASSERT_EQ(starts.size(), 1);
    EXPECT_EQ(starts.first(), "1|en*loaderflag*|sim=");
}

TEST(Authorization, SafetyCheckLooksAtEveryFolderOnTheRealPath) {
    QTemporaryDir dir;
    const QString safe = dir.path() + "/safe";
    const QString open = dir.path() + "/open";
    QDir().mkpath(safe);
    QDir().mkpath(open);
    ::chmod(QFile::encodeName(open).constData(), 0777);
    for (const QString& folder : {safe, open}) {
        QFile::copy(RECORDSTART_PATH, folder + "/tool");
        ::chmod(QFile::encodeName(folder + "/tool").constData(), 0755);
    }
    QString reason;
    EXPECT_TRUE(Authorization::isSafeToRunPrivileged(safe + "/tool", &reason)) << reason.toStdString();
    EXPECT_FALSE(Authorization::isSafeToRunPrivileged(open + "/tool", &reason));
    EXPECT_TRUE(reason.contains(open)) << reason.toStdString();

    ::chmod(QFile::encodeName(safe + "/tool").constData(), 0775);
    EXPECT_FALSE(Authorization::isSafeToRunPrivileged(safe + "/tool", &reason))
        << "group-writable executable";
    ::chmod(QFile::encodeName(safe + "/tool").constData(), 0755);

    QFile::link(open + "/tool", safe + "/link");
    EXPECT_FALSE(Authorization::isSafeToRunPrivileged(safe + "/link", &reason))
        << "a link is judged by its target";
    EXPECT_FALSE(Authorization::isSafeToRunPrivileged(dir.path() + "/missing", &reason));
}

TEST(Authorization, PkexecGetsTheDisplayBackAndNeverAPathThatEnvWouldTakeForAVariable) {
    const testsupport::ScopedEnv display("DISPLAY", QStringLiteral(":7"));
    const auto command = Authorization::pkexecArguments("/opt/Tavrun.app/Tavrun", {"en*loaderflag*"});
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->first(), "env");
    EXPECT_TRUE(command->contains("DISPLAY=:7"));
    EXPECT_EQ(command->mid(command->size() - 2), (QStringList{"/opt/Tavrun.app/Tavrun", "en*loaderflag*"}));
    EXPECT_FALSE(Authorization::pkexecArguments("/opt/a=b/Tavrun", {"en*loaderflag*"}).has_value());
}

TEST(RunScript, ArgumentsReachTheToolAsOneWordEach) {
    QTemporaryDir dir;
    const QString marker = dir.filePath("pwned");
    const QStringList arguments{"%s|", "$(touch " + marker + ")", "a'b\"c", "x y; touch " + marker, "`id`"};
    QString output;
    QString error;
    ASSERT_TRUE(RunScript::runProcess("/usr/bin/printf", arguments, &output, &error, false))
        << error.toStdString();
    EXPECT_EQ(output, "$(touch " + marker + ")|a'b\"c|x y; touch " + marker + "|`id`|");
    EXPECT_FALSE(QFileInfo::exists(marker));
}

TEST(RunScript, CancelledAdministratorPromptGivesThePasswordText) {
    QTemporaryDir sim;
    testsupport::ScopedEnv root("TAVRUN_SIM_ROOT", sim.path());
    testsupport::ScopedEnv decision("TAVRUN_SIM_AUTH", "cancel");
    QString output;
    QString error;
    EXPECT_FALSE(RunScript::runProcess("/usr/bin/id", {"-un"}, &output, &error, true));
    EXPECT_EQ(error, "The administrator password is required to do this.");

    testsupport::ScopedEnv allow("TAVRUN_SIM_AUTH", "allow");
    EXPECT_TRUE(RunScript::runProcess("/usr/bin/id", {"-un"}, &output, &error, true));
    EXPECT_FALSE(output.isEmpty());
}
