#pragma once

#include <chrono>
#include <functional>

namespace platform {

// The global concurrent queue: a dedicated pool large enough for workers that block on tools and on
// the main thread.
void globalAsync(std::function<void()> work);
// Queued to the main thread's event loop.
void mainAsync(std::function<void()> work);
void mainAfter(std::chrono::milliseconds delay, std::function<void()> work);
// Runs on the main thread and waits for it; runs inline when already there (a blocking queued call to
// one's own thread would deadlock). A modal window opened by `work` keeps serving the main thread.
void mainSync(const std::function<void()>& work);
// For the process's end, on the main thread: work queued and not started is dropped and so is work queued
// later, a worker waiting in mainSync goes on without its work having run, and the work that runs gets up
// to `timeout` to end. True when it ended.
bool endGlobalQueue(std::chrono::milliseconds timeout);
// Tests queue work again after endGlobalQueue().
void reopenGlobalQueueForTesting();

bool isMainThread();
// For tests and shutdown: waits until the global queue is idle; false on time-out.
bool waitForGlobalQueue(std::chrono::milliseconds timeout);

}  // namespace platform
