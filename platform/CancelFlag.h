#pragma once

#include <atomic>
#include <memory>

namespace platform {

// A cancel request shared between the thread that waits on work and any thread that stops it.
// Copies share one flag; a request made before the work starts is kept.
class CancelFlag {
public:
    CancelFlag() : flag_(std::make_shared<std::atomic_bool>(false)) {}

    void request() const { flag_->store(true); }
    bool isRequested() const { return flag_->load(); }
    void reset() const { flag_->store(false); }

private:
    std::shared_ptr<std::atomic_bool> flag_;
};

}  // namespace platform
