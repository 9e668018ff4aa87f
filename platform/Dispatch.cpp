#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {
namespace {

constexpr int kGlobalQueueThreads = 64;
constexpr std::chrono::seconds kIdleThreadExpiry{30};

// A worker's wait in mainSync. The worker may go on without its work at the process's end; the work then
// never runs (what it refers to may be gone with the worker's stack).
struct SyncCall {
    bool started = false;
    bool done = false;
    bool dropped = false;
};

struct SyncCalls {
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic_bool ended{false};  // the process is ending: nothing more runs for the workers
};

SyncCalls& syncCalls() {
    static auto* calls = new SyncCalls;  // never destroyed: workers may still look during the exit
    return *calls;
}

QThreadPool& globalPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;  // never destroyed: work may still run when the process exits
        p->setMaxThreadCount(kGlobalQueueThreads);
        p->setExpiryTimeout(static_cast<int>(std::chrono::milliseconds(kIdleThreadExpiry).count()));
        return p;
    }();
    return *pool;
}

}  // namespace

bool isMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void globalAsync(std::function<void()> work) {
    if (!syncCalls().ended) {
        globalPool().start(std::move(work));
    }
}

void mainAsync(std::function<void()> work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

void mainAfter(std::chrono::milliseconds delay, std::function<void()> work) {
    // Timers belong to the thread that starts them: start this one on the main thread.
    mainAsync([delay, work = std::move(work)]() mutable {
        QTimer::singleShot(delay, QCoreApplication::instance(), std::move(work));
    });
}

void mainSync(const std::function<void()>& work) {
    if (isMainThread()) {
        work();
        return;
    }
    SyncCalls& calls = syncCalls();
    if (calls.ended) {
        return;
    }
    auto call = std::make_shared<SyncCall>();
    mainAsync([call, &work, &calls] {
        {
            const std::lock_guard lock(calls.mutex);
            if (call->dropped) {
                return;
            }
            call->started = true;
        }
        work();
        {
            const std::lock_guard lock(calls.mutex);
            call->done = true;
        }
        calls.changed.notify_all();
    });
    std::unique_lock lock(calls.mutex);
    calls.changed.wait(lock, [&] { return call->done || (calls.ended && !call->started); });
    call->dropped = !call->done;
}

bool endGlobalQueue(std::chrono::milliseconds timeout) {
    SyncCalls& calls = syncCalls();
    {
        const std::lock_guard lock(calls.mutex);
        calls.ended = true;
    }
    calls.changed.notify_all();
    globalPool().clear();
    return globalPool().waitForDone(static_cast<int>(timeout.count()));
}

void reopenGlobalQueueForTesting() {
    syncCalls().ended = false;
}

bool waitForGlobalQueue(std::chrono::milliseconds timeout) {
    return globalPool().waitForDone(static_cast<int>(timeout.count()));
}

}  // namespace platform
