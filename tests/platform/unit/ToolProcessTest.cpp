#include "platform/ToolOutputFile.h"
#include "platform/ToolPath.h"
#include "platform/ToolProcess.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    ToolProcess process(probe({"sleep", "30000"}));
    process.setCancelFlag(flag);
    std::thread canceller([flag] {
        std::this_thread::sleep_for(100ms);
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

TEST(ToolProcess, OutputFileIsPrivateAndLockedPerName) {
    const QString folder = platform::privateTempFolder();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    auto worker = [&](const QString& arg) {
        for (int i = 0; i < 5; ++i) {
            platform::ToolOutputFile out("Same.plist");
            if (inside.fetch_add(1) != 0) {
                overlapped = true;
            }
            ToolProcess p(probe({"exit", "0"}));
            p.setStandardOutputFile(out.hostPath());
            p.run();
            QFile f(out.hostPath());
            f.open(QIODevice::ReadOnly);
            EXPECT_EQ(f.readAll(), "out") << arg.toStdString();
            inside.fetch_sub(1);
        }
    };
    std::thread a(worker, QStringLiteral("a"));
    std::thread b(worker, QStringLiteral("b"));
    a.join();
    b.join();
    EXPECT_FALSE(overlapped);
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
