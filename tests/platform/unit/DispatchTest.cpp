#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"

#include "tests/support/TestEnv.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using platform::NotificationCenter;

TEST(Dispatch, MainSyncRunsInlineOnTheMainThreadAndWaitsFromAWorker) {
    bool ran = false;
    platform::mainSync([&] { ran = platform::isMainThread(); });
    EXPECT_TRUE(ran) << "inline on the main thread, no deadlock";

    std::atomic<int> step{0};
    std::atomic<bool> onMain{false};
    platform::globalAsync([&] {
        EXPECT_FALSE(platform::isMainThread());
        platform::mainSync([&] {
            onMain = platform::isMainThread();
            step = 1;
        });
        EXPECT_EQ(step.load(), 1) << "mainSync returns only after the work ran";
        step = 2;
    });
    EXPECT_TRUE(testsupport::waitUntil([&] { return step.load() == 2; }));
    EXPECT_TRUE(onMain);
}

TEST(Dispatch, MainAsyncAndMainAfterRunLaterOnTheMainThread) {
    std::atomic<int> order{0};
    int async = 0;
    int after = 0;
    std::thread worker([&] {
        platform::mainAfter(50ms, [&] { after = ++order; });
        platform::mainAsync([&] { async = ++order; });
    });
    worker.join();
    EXPECT_EQ(order.load(), 0);
    EXPECT_TRUE(testsupport::waitUntil([&] { return order.load() == 2; }));
    EXPECT_EQ(async, 1);
    EXPECT_EQ(after, 2);
}

TEST(Dispatch, GlobalQueueRunsManyBlockingWorkersAtOnce) {
    std::atomic<int> running{0};
    std::atomic<bool> release{false};
    for (int i = 0; i < 20; ++i) {
        platform::globalAsync([&] {
            ++running;
            while (!release) {
                QThread::msleep(1);
            }
        });
    }
    EXPECT_TRUE(testsupport::waitUntil([&] { return running.load() == 20; }));
    release = true;
    EXPECT_TRUE(platform::waitForGlobalQueue(5s));
}

// At the process's end the main thread serves nobody any more: a worker waiting for it goes on without its
// work having run, and work queued afterwards never runs.
TEST(Dispatch, AtTheEndWorkersWaitingForTheMainThreadGoOnAndLaterWorkIsDropped) {
    struct Reopen {
        ~Reopen() { platform::reopenGlobalQueueForTesting(); }
    } reopen;
    std::atomic<bool> waiting{false};
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> wentOn{false};
    platform::globalAsync([&] {
        waiting = true;
        platform::mainSync([&] { ranOnMain = true; });
        wentOn = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!waiting && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();  // the main thread serves no event meanwhile
    }
    ASSERT_TRUE(waiting) << "the worker did not start";
    EXPECT_TRUE(platform::endGlobalQueue(5s)) << "the worker still waits for the main thread";
    EXPECT_TRUE(wentOn);
    std::atomic<bool> later{false};
    platform::globalAsync([&] { later = true; });
    EXPECT_TRUE(platform::waitForGlobalQueue(5s));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ranOnMain) << "the dropped work ran after its worker had gone on";
    EXPECT_FALSE(later);
}

TEST(NotificationCenter, DeliversByNameAndStopsWhenTheTokenDies) {
    auto& center = NotificationCenter::defaultCenter();
    QVariantMap received;
    int count = 0;
    auto token = center.addObserver("RZVolumeMount", [&](const QVariantMap& info) {
        received = info;
        ++count;
    });
    center.post("RZVolumeUnmount", {{"x", 1}});
    EXPECT_EQ(count, 0);
    center.post("RZVolumeMount", {{"NSDevicePath", "/Volumes/USB"}});
    EXPECT_EQ(count, 1);
    EXPECT_EQ(received.value("NSDevicePath").toString(), "/Volumes/USB");
    token.reset();
    center.post("RZVolumeMount");
    EXPECT_EQ(count, 1);
}

TEST(NotificationCenter, AnObserverMayRemoveItselfOrAnotherDuringDelivery) {
    auto& center = NotificationCenter::defaultCenter();
    NotificationCenter::Token first;
    NotificationCenter::Token second;
    int firstCalls = 0;
    int secondCalls = 0;
    first = center.addObserver("Test.Self", [&](const QVariantMap&) {
        ++firstCalls;
        first.reset();
        second.reset();
    });
    second = center.addObserver("Test.Self", [&](const QVariantMap&) { ++secondCalls; });
    center.post("Test.Self");
    center.post("Test.Self");
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
}

// A callback running on a worker may wait for the thread that removes its observer (the main thread, with
// mainSync): removal must not wait for it, and the callback is not entered again afterwards.
TEST(NotificationCenter, RemovalNeverWaitsForARunningCallback) {
    auto& center = NotificationCenter::defaultCenter();
    std::atomic<int> calls{0};
    std::atomic<bool> release{false};
    auto token = center.addObserver("Test.Running", [&](const QVariantMap&) {
        ++calls;
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::thread poster([&] { center.post("Test.Running"); });
    EXPECT_TRUE(testsupport::waitUntil([&] { return calls.load() == 1; })) << "the callback did not start";
    auto removal = std::async(std::launch::async, [&] { token.reset(); });
    EXPECT_EQ(removal.wait_for(std::chrono::seconds(3)), std::future_status::ready)
        << "removal waited for the running callback";
    release = true;
    poster.join();
    removal.wait();
    center.post("Test.Running");
    EXPECT_EQ(calls.load(), 1);
}
