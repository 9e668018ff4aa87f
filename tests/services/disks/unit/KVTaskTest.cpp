#include "services/disks/KVTask.h"

#include "tests/support/TestEnv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace std::chrono_literals;

namespace {

const QString kProbe = QStringLiteral(TOOLPROBE_PATH);

class SharedTask : public ::testing::Test {
protected:
    void SetUp() override {
        KVTask::setMinimumTimeoutForTesting(400ms);
        task_->KVResetStop();
    }
    void TearDown() override { KVTask::setMinimumTimeoutForTesting(60s); }

    // Runs the task and returns the milliseconds it blocked.
    qint64 timedStart() const {
        QElapsedTimer clock;
        clock.start();
        task_->KVStartTask();
        return clock.elapsed();
    }
    void set(const QStringList& arguments, double timeout = 0) const {
        task_->KVSetLaunchPath(kProbe);
        task_->KVSetArguments(arguments);
        task_->KVSetTimeoutCount(timeout);
    }

    KVTask* task_ = KVTask::KVShareInstance();
};

TEST_F(SharedTask, IsOneRunnerWhoseSettingsPersist) {
    EXPECT_EQ(KVTask::KVShareInstance(), task_);
    QTemporaryDir dir;
    const QString seen = dir.filePath("args");
    set({"args", seen, "eraseDisk", "JHFS+", "Tavrun System", "disk4"}, 600);
    task_->KVSetLaunchPath(QString());  // a null path is ignored
    task_->KVStartTask();
    QFile::remove(seen);
    task_->KVStartTask();  // again, with what was set before
    QFile in(seen);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll().split('\0').mid(0, 4),
              (QList<QByteArray>{"eraseDisk", "JHFS+", "Tavrun System", "disk4"}));
}

TEST_F(SharedTask, ATimeOutBelowTheFloorStillGetsTheFloor) {
    set({"sleep", "30000"}, 0.1);
    const qint64 blocked = timedStart();
    EXPECT_GE(blocked, 400);
    EXPECT_LT(blocked, 5000);
    set({"sleep", "30000"}, std::nan(""));
    EXPECT_LT(timedStart(), 5000) << "an unreadable time-out is the floor, not endless";
}

TEST_F(SharedTask, ATimeOutAboveTheFloorIsKept) {
    set({"sleep", "30000"}, 1.0);
    const qint64 blocked = timedStart();
    EXPECT_GE(blocked, 1000);
    EXPECT_LT(blocked, 5000);
}

TEST_F(SharedTask, StopFromAnotherThreadEndsTheRun) {
    QTemporaryDir dir;
    set({"sleep", "30000", dir.filePath("running")}, 600);
    std::thread stopper([&] {
        EXPECT_TRUE(testsupport::waitForLines(dir.filePath("running"), 1)) << "the tool did not start";
        task_->KVStopTask();
    });
    const qint64 blocked = timedStart();
    stopper.join();
    EXPECT_LT(blocked, 3000);
}

TEST_F(SharedTask, AStopAskedBeforeTheLaunchIsKeptForOneRun) {
    set({"sleep", "30000"}, 600);
    task_->KVStopTask();
    EXPECT_LT(timedStart(), 1000) << "the tool is never left running";
    set({"sleep", "300"}, 600);
    EXPECT_GE(timedStart(), 300) << "the stop was used up by that run";

    task_->KVStopTask();
    task_->KVResetStop();
    EXPECT_GE(timedStart(), 300) << "a reset forgets a stop that came too late for its run";
}

TEST_F(SharedTask, AToolIgnoringSigtermIsKilledAfterTheGracePeriod) {
    set({"ignore-term"}, 0);
    const qint64 blocked = timedStart();
    EXPECT_GE(blocked, 400);
    EXPECT_LT(blocked, 8000);
}

TEST_F(SharedTask, AToolThatCannotStartEndsTheWaitAtOnce) {
    task_->KVSetLaunchPath("/no/such/diskutil");
    task_->KVSetArguments({"eraseDisk"});
    EXPECT_LT(timedStart(), 1000);
}

TEST_F(SharedTask, StopReachesEveryRunInProgress) {
    QTemporaryDir dir;
    set({"sleep", "30000", dir.filePath("running")}, 600);
    qint64 other = 0;
    std::thread second([&] { other = timedStart(); });
    std::thread stopper([&] {
        EXPECT_TRUE(testsupport::waitForLines(dir.filePath("running"), 2)) << "both tools did not start";
        task_->KVStopTask();
    });
    const qint64 first = timedStart();
    second.join();
    stopper.join();
    EXPECT_LT(first, 3000);
    EXPECT_LT(other, 3000);
}

}  // namespace
