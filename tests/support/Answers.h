#pragma once

#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace testsupport {

// Acts from inside whatever modal run is going on: each answer waits until its condition holds, then acts
// once; answers act in the order they were given.
class Answers {
public:
    void when(std::function<bool()> ready, std::function<void()> act);
    int pending() const;

private:
    std::vector<std::unique_ptr<QTimer>> timers_;
};

}  // namespace testsupport
