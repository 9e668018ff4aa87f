#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

namespace platform {
namespace {

constexpr int kGlobalQueueThreads = 64;
constexpr std::chrono::seconds kIdleThreadExpiry{30};

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
    globalPool().start(std::move(work));
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
    QMetaObject::invokeMethod(QCoreApplication::instance(), work, Qt::BlockingQueuedConnection);
}

bool waitForGlobalQueue(std::chrono::milliseconds timeout) {
    return globalPool().waitForDone(static_cast<int>(timeout.count()));
}

}  // namespace platform
