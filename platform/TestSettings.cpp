#include "platform/TestSettings.h"

#include <mutex>
#include <vector>

namespace platform {
namespace {

struct Restorations {
    std::mutex mutex;
    std::vector<std::function<void()>> pending;
};

Restorations& restorations() {
    static auto* list = new Restorations;  // never destroyed: a setter may run while the process ends
    return *list;
}

}  // namespace

void restoreAfterTest(std::function<void()> restore) {
    const std::lock_guard lock(restorations().mutex);
    restorations().pending.push_back(std::move(restore));
}

void restoreTestSettings() {
    std::vector<std::function<void()>> pending;
    {
        const std::lock_guard lock(restorations().mutex);
        pending.swap(restorations().pending);
    }
    for (auto restore = pending.rbegin(); restore != pending.rend(); ++restore) {
        (*restore)();
    }
    const std::lock_guard lock(restorations().mutex);
    restorations().pending.clear();  // what the restorations themselves set is no test's setting
}

}  // namespace platform
