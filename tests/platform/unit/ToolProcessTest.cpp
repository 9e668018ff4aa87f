#include "platform/Authorization.h"
#include "platform/LogCategories.h"
#include "platform/ToolOutputFile.h"
#include "platform/ToolPath.h"
#include "platform/ToolProcess.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <optional>
#include <thread>

using namespace std::chrono_literals;
using platform::ToolCommand;
using platform::ToolOutcome;
using platform::ToolProcess;

namespace {

ToolCommand probe(QStringList args) {
    return {QStringLiteral(TOOLPROBE_PATH), std::move(args)};
}

QStringList readArgs(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList args;
    for (const QByteArray& part : in.readAll().split('\0')) {
        args.append(QString::fromUtf8(part));
    }
    args.removeLast();
    return args;
}

}  // namespace

TEST(ToolProcess, HostileArgumentsArriveUnchangedAndNothingRuns) {
    QTemporaryDir dir;
    const QString marker = dir.filePath("pwned");
    const QString hostile = "$(touch " + marker + ") `touch " + marker + "`; touch " + marker +
                            " \"quoted\" 'single' | & > < \\ " + QString(220, u'x');
    ASSERT_GE(hostile.size(), 300);
    const QString out = dir.filePath("args");
    const auto result = ToolProcess::run(probe({"args", out, hostile, "", "a b"}));
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(readArgs(out), (QStringList{hostile, "", "a b"}));
    EXPECT_FALSE(QFileInfo::exists(marker));
}

TEST(ToolProcess, ReportsOutcomesByName) {
    auto exited = ToolProcess::run(probe({"exit", "3"}));
    EXPECT_EQ(exited.outcome, ToolOutcome::Exited);
    EXPECT_EQ(exited.exitCode, 3);
    EXPECT_EQ(exited.output, "out");
    EXPECT_FALSE(exited.succeeded());

    EXPECT_EQ(ToolProcess::run(probe({"crash"})).outcome, ToolOutcome::Crashed);

    QElapsedTimer clock;
    clock.start();
    const auto missing = ToolProcess::run({"/no/such/tool", {}}, 60s);
    EXPECT_EQ(missing.outcome, ToolOutcome::FailedToStart);
    EXPECT_TRUE(missing.output.isEmpty());
    EXPECT_LT(clock.elapsed(), 2000) << "a tool that cannot start ends the wait at once";
}

// A run that does not exit with status 0 leaves its outcome in the log, by name.
struct OutcomeRow {
    const char* name;
    ToolCommand command;
    std::chrono::milliseconds deadline;
    bool cancelled;
    const char* logged;  // null: nothing
};

void PrintTo(const OutcomeRow& row, std::ostream* out) {
    *out << row.name;
}

class OutcomeLog : public ::testing::TestWithParam<OutcomeRow> {};

QStringList* capturedLog = nullptr;

// What is logged under the filter rules while `action` runs.
QStringList logOf(const QString& rules, const std::function<void()>& action) {
    QStringList lines;
    capturedLog = &lines;
    QLoggingCategory::setFilterRules(rules);
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { capturedLog->append(message); });
    action();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    capturedLog = nullptr;
    return lines;
}

// What the platform category logs, info included, while `action` runs.
QStringList platformLogOf(const std::function<void()>& action) {
    return logOf(QStringLiteral("tavrun.platform.info=true"), action);
}

void expectLogged(const QStringList& lines, const char* logged) {
    if (logged == nullptr) {
        EXPECT_TRUE(lines.isEmpty()) << lines.join(u'\n').toStdString();
    } else {
        ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines[0].contains(QLatin1String(logged))) << lines[0].toStdString();
    }
}

TEST_P(OutcomeLog, NamesTheOutcome) {
    const QStringList lines = platformLogOf([] {
        ToolProcess process(GetParam().command);
        process.setDeadline(GetParam().deadline);
        platform::CancelFlag cancel;
        if (GetParam().cancelled) {
            cancel.request();
        }
        process.setCancelFlag(cancel);
        process.run();
    });
    expectLogged(lines, GetParam().logged);
}

TEST(LogCategories, DebugLinesWaitForARule) {
    const auto lines = [] {
        qCDebug(lcServices) << "a debug line";
        qCInfo(lcServices) << "an info line";
    };
    EXPECT_EQ(logOf({}, lines), QStringList{"an info line"});
    EXPECT_EQ(logOf(QStringLiteral("tavrun.services.debug=true"), lines),
              (QStringList{"a debug line", "an info line"}));
}

TEST(AppleScript, ShellScriptOutcomesAreLoggedByName) {
    const auto logOf = [](const char* script) {
        return platformLogOf(
            [script] { platform::AppleScript::doShellScript(QString::fromLatin1(script), false); });
    };
    expectLogged(logOf("exit 0"), nullptr);
    expectLogged(logOf("exit 4"), "/bin/sh exited with status 4");
    expectLogged(logOf("kill -SEGV $$"), "/bin/sh crashed");
}

INSTANTIATE_TEST_SUITE_P(
    ToolProcess, OutcomeLog,
    ::testing::Values(OutcomeRow{"exitedWithZero", probe({"exit", "0"}), {}, false, nullptr},
                      OutcomeRow{"exitedWithStatus", probe({"exit", "3"}), {}, false, "exited with status 3"},
                      OutcomeRow{"failedToStart", {"/no/such/tool", {}}, {}, false, "failed to start"},
                      OutcomeRow{"crashed", probe({"crash"}), {}, false, "crashed"},
                      OutcomeRow{"timedOut", probe({"sleep", "30000"}), 200ms, false,
                                 "timed out after 200 ms"},
                      OutcomeRow{"cancelled", probe({"sleep", "30000"}), {}, true, "cancelled"}),
    [](const ::testing::TestParamInfo<OutcomeRow>& row) { return std::string(row.param.name); });

TEST(ToolProcess, DeadlineTerminatesASleepingTool) {
    QElapsedTimer clock;
    clock.start();
    const auto result = ToolProcess::run(probe({"sleep", "30000"}), 300ms);
    EXPECT_EQ(result.outcome, ToolOutcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(ToolProcess, KillsAToolThatIgnoresSigterm) {
    ToolProcess process(probe({"ignore-term"}));
    process.setDeadline(200ms);
    process.setGracePeriod(300ms);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(process.run().outcome, ToolOutcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(ToolProcess, CancelFromAnotherThreadAndBeforeStart) {
    platform::CancelFlag flag;
    ToolProcess process(probe({"prompt"}));  // asks, then waits for an answer that never comes
    process.setInteractive(true);
    process.setCancelFlag(flag);
    std::promise<void> asked;
    std::atomic_flag told;
    process.setOutputHandler([&](const QByteArray&) {
        if (!told.test_and_set()) {
            asked.set_value();
        }
    });
    std::thread canceller([flag, running = asked.get_future()] {
        EXPECT_EQ(running.wait_for(30s), std::future_status::ready) << "the tool did not ask";
        flag.request();
    });
    EXPECT_EQ(process.run().outcome, ToolOutcome::Cancelled);
    canceller.join();

    ToolProcess early(probe({"sleep", "30000"}));
    early.setCancelFlag(flag);  // still requested: a stop asked before the launch is not lost
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(early.run().outcome, ToolOutcome::Cancelled);
    EXPECT_LT(clock.elapsed(), 1000);
}

// The process's end reaches every tool still running, also one whose thread is held elsewhere, and no tool
// starts after it.
struct EndRow {
    const char* name;
    QStringList probeArguments;
    bool saysReady;  // prints "ready <pid>" once it is set up
    bool ownerHeld;  // the run's thread then waits in its output handler, where no poll sees the end
};

// Alive, and not a zombie waiting for its parent.
bool isRunning(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    return status.open(QIODevice::ReadOnly) && !status.readAll().contains("\nState:\tZ");
}

void PrintTo(const EndRow& row, std::ostream* out) {
    *out << row.name;
}

class ProcessEnd : public ::testing::TestWithParam<EndRow> {
protected:
    ~ProcessEnd() override { ToolProcess::allowRunsForTesting(); }
};

TEST_P(ProcessEnd, EndsEveryRunningToolAndStartsNoMore) {
    std::promise<void> gate;
    std::shared_future<void> held = gate.get_future().share();
    std::atomic<qint64> pid{0};
    auto run = std::async(std::launch::async, [&] {
        ToolProcess process(probe(GetParam().probeArguments));
        process.setOutputHandler([&](const QByteArray& chunk) {
            pid = chunk.startsWith("ready ") ? chunk.mid(6).toLongLong() : pid.load();
            if (GetParam().ownerHeld) {
                held.wait();
            }
        });
        return process.run().outcome;
    });
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return ToolProcess::runningCount() == 1 && (!GetParam().saysReady || pid != 0);
    })) << "the tool did not start";
    QElapsedTimer clock;
    clock.start();
    ToolProcess::endAll(300ms);
    EXPECT_LT(clock.elapsed(), 3000) << "the end waits the grace period and a moment, no more";
    EXPECT_FALSE(pid != 0 && isRunning(pid)) << "the tool outlived the end";
    gate.set_value();
    ASSERT_EQ(run.wait_for(10s), std::future_status::ready) << "the run did not end";
    EXPECT_EQ(run.get(), ToolOutcome::Cancelled);
    EXPECT_EQ(ToolProcess::runningCount(), 0);
    clock.restart();
    EXPECT_EQ(ToolProcess::run(probe({"exit", "0"})).outcome, ToolOutcome::Cancelled) << "none starts after";
    EXPECT_LT(clock.elapsed(), 1000);
}

INSTANTIATE_TEST_SUITE_P(ToolProcess, ProcessEnd,
                         ::testing::Values(EndRow{"terminated", {"sleep", "30000"}, false, false},
                                           EndRow{"killedWhenItIgnoresSigterm", {"ignore-term"}, true, false},
                                           EndRow{"reachedWhileItsThreadIsHeld", {"hold"}, true, true}),
                         [](const ::testing::TestParamInfo<EndRow>& row) {
                             return std::string(row.param.name);
                         });

TEST(ToolProcess, StreamsChunksAndAnswersAPrompt) {
    QByteArray seen;
    ToolProcess chunks(probe({"chunks"}));
    chunks.setOutputHandler([&](const QByteArray& c) { seen += c; });
    EXPECT_TRUE(chunks.run().succeeded());
    EXPECT_EQ(seen, "abc");

    QByteArray dialogue;
    ToolProcess prompt(probe({"prompt"}));
    prompt.setInteractive(true);
    prompt.setOutputHandler([&](const QByteArray& c) {
        dialogue += c;
        if (c.contains("[ny]")) {
            prompt.write("y");
        }
    });
    EXPECT_TRUE(prompt.run().succeeded());
    EXPECT_TRUE(dialogue.endsWith("got y\n")) << dialogue.constData();

    // Not interactive: the tool reads an empty input instead of waiting for ever.
    EXPECT_EQ(ToolProcess::run(probe({"prompt"}), 5s).exitCode, 1);
}

QString folderOf(const QString& file) {
    return QFileInfo(file).path();
}

struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

// Whatever became of the private folder, the next run gets a private file for its output.
struct FolderRow {
    const char* name;
    std::function<void(const QString& folder)> change;
    const char* tmpdir;  // TMPDIR during the run; null: unchanged
};

void PrintTo(const FolderRow& row, std::ostream* out) {
    *out << row.name;
}

class PrivateFolder : public ::testing::TestWithParam<FolderRow> {};

TEST_P(PrivateFolder, EveryRunGetsAPrivateFileOfItsOwn) {
    const QString folder = folderOf(platform::ToolOutputFile("Probe.plist").hostPath());
    GetParam().change(folder);
    std::optional<testsupport::ScopedEnv> tmpdir;
    if (GetParam().tmpdir != nullptr) {
        tmpdir.emplace("TMPDIR", QString::fromUtf8(GetParam().tmpdir));
    }
    platform::ToolOutputFile out("Same.plist");
    ToolProcess p(probe({"exit", "0"}));
    p.setStandardOutputFile(out.hostPath());
    EXPECT_TRUE(p.run().succeeded());
    QFile f(out.hostPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "out");
    const struct stat st = statOf(folderOf(out.hostPath()));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(statOf(out.hostPath()).st_mode & 0077, 0u) << "readable by its owner only";
    if (folderOf(out.hostPath()) != folder) {
        QFile::remove(folder);
        QDir(folder).removeRecursively();
    }
}

INSTANTIATE_TEST_SUITE_P(
    ToolOutputFile, PrivateFolder,
    ::testing::Values(
        FolderRow{"asMade", [](const QString&) {}, nullptr},
        FolderRow{"removedByACleaner", [](const QString& f) { QDir(f).removeRecursively(); }, nullptr},
        FolderRow{"replacedByAFile",
                  [](const QString& f) {
                      QDir(f).removeRecursively();
                      QFile file(f);
                      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                  },
                  nullptr},
        FolderRow{"openedToEveryone",
                  [](const QString& f) { ::chmod(QFile::encodeName(f).constData(), 0777); }, nullptr},
        FolderRow{"removedWithTmpdirMissing", [](const QString& f) { QDir(f).removeRecursively(); },
                  "/no/such/folder"},
        FolderRow{"removedWithTmpdirRelative", [](const QString& f) { QDir(f).removeRecursively(); },
                  "relative/tmp"}),
    [](const ::testing::TestParamInfo<FolderRow>& row) { return std::string(row.param.name); });

pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

// What a process's private folder looks like when a later process starts: only the folders of ended
// processes of the same user go.
struct LeftoverRow {
    const char* name;
    std::function<pid_t()> owner;
    std::function<void(const QString& path)> make;
    bool removed;
};

void PrintTo(const LeftoverRow& row, std::ostream* out) {
    *out << row.name;
}

class Leftovers : public ::testing::TestWithParam<LeftoverRow> {};

TEST_P(Leftovers, OnlyFoldersOfEndedProcessesGo) {
    QTemporaryDir parent;
    const QString path = parent.filePath(QStringLiteral("tavrun-%1-a1B2c3").arg(GetParam().owner()));
    GetParam().make(path);
    platform::removeStaleTempFolders(parent.path());
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st) != 0, GetParam().removed);
}

const auto kFolder = [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path + "/inner")); };

INSTANTIATE_TEST_SUITE_P(
    ToolOutputFile, Leftovers,
    ::testing::Values(
        LeftoverRow{"endedProcess", endedProcess, kFolder, true},
        LeftoverRow{"runningProcess", [] { return pid_t(1); }, kFolder, false},
        LeftoverRow{"thisProcess", ::getpid, kFolder, false},
        LeftoverRow{"otherUsersEndedProcess", endedProcess,
                    [](const QString& path) {
                        kFolder(path);
                        if (::lchown(QFile::encodeName(path).constData(), 65534, 65534) != 0) {
                            GTEST_SKIP() << "only root can give a folder to another user";
                        }
                    },
                    false},
        LeftoverRow{"fileOfEndedProcess", endedProcess,
                    [](const QString& path) { ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly)); }, false},
        LeftoverRow{"linkOfEndedProcess", endedProcess,
                    [](const QString& path) { ASSERT_TRUE(QFile::link(QDir::tempPath(), path)); }, false}),
    [](const ::testing::TestParamInfo<LeftoverRow>& row) { return std::string(row.param.name); });

TEST(ToolOutputFile, TwoRunsOfOneNameNeitherShareAFileNorWait) {
    std::future<QString> second;  // destroyed after `first`, so a second run that waits is let go
    const platform::ToolOutputFile first("Same.plist");
    second = std::async(std::launch::async, [] { return platform::ToolOutputFile("Same.plist").hostPath(); });
    ASSERT_EQ(second.wait_for(5s), std::future_status::ready) << "the second run waited for the first";
    const QString other = second.get();
    EXPECT_NE(other, first.hostPath());
    EXPECT_TRUE(QFileInfo(first.hostPath()).fileName().startsWith("Same-"));
    EXPECT_TRUE(other.endsWith(".plist"));
    EXPECT_FALSE(QFileInfo::exists(other)) << "removed with its object";
}

TEST(ToolPath, ResolvesThroughTheToolRoot) {
    QTemporaryDir tools;
    QDir(tools.path()).mkpath("usr/sbin");
    QFile fake(tools.path() + "/usr/sbin/diskutil");
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.close();
    testsupport::ScopedEnv env("TAVRUN_TOOL_ROOT", tools.path());
    EXPECT_EQ(platform::toolPath("/usr/sbin/diskutil"), tools.path() + "/usr/sbin/diskutil");
    EXPECT_EQ(platform::toolPath("diskutil"), tools.path() + "/usr/sbin/diskutil");
    EXPECT_EQ(platform::toolPath("/usr/sbin/asr"), "/usr/sbin/asr");
    EXPECT_EQ(platform::toolPath("killall"), "/usr/bin/killall");
    EXPECT_EQ(platform::toolPath("cp"), "/bin/cp");
}
