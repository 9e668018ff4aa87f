#include "tests/support/Answers.h"

#include <algorithm>

namespace testsupport {

void Answers::when(std::function<bool()> ready, std::function<void()> act) {
    const auto earlier = static_cast<long>(timers_.size());
    QTimer* timer = timers_.emplace_back(std::make_unique<QTimer>()).get();
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, earlier, ready, act] {
        if (std::none_of(timers_.begin(), timers_.begin() + earlier, [](auto& t) { return t->isActive(); }) &&
            ready()) {
            timer->stop();  // the act may run a modal loop of its own: never twice
            act();
        }
    });
    timer->start(10);
}

int Answers::pending() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](auto& t) { return t->isActive(); }));
}

}  // namespace testsupport
