#include "platform/NotificationCenter.h"

#include <algorithm>
#include <atomic>

namespace platform {

// Removal only clears `alive`: it never waits for a callback that is running, which may itself wait for
// the removing thread. A post that finds the entry alive has begun its call; later ones skip it. The
// entry, and so the callback, lives as long as any post still holds it.
struct NotificationCenter::Token::Entry {
    QString name;
    Callback callback;
    std::atomic_bool alive{true};
};

NotificationCenter::Token& NotificationCenter::Token::operator=(Token&& other) noexcept {
    if (this != &other) {
        reset();
        entry_ = std::move(other.entry_);
    }
    return *this;
}

NotificationCenter::Token::~Token() {
    reset();
}

void NotificationCenter::Token::reset() {
    if (entry_) {
        entry_->alive = false;
    }
    entry_.reset();
}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter* center = new NotificationCenter;  // never destroyed
    return *center;
}

NotificationCenter::Token NotificationCenter::addObserver(const QString& name, Callback callback) {
    auto entry = std::make_shared<Token::Entry>();
    entry->name = name;
    entry->callback = std::move(callback);
    std::lock_guard guard(mutex_);
    std::erase_if(entries_, [](const std::weak_ptr<Token::Entry>& e) { return e.expired(); });
    entries_.push_back(entry);
    return Token(std::move(entry));
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo) {
    std::vector<std::shared_ptr<Token::Entry>> targets;
    {
        std::lock_guard guard(mutex_);
        for (const auto& weak : entries_) {
            if (auto entry = weak.lock(); entry && entry->name == name) {
                targets.push_back(std::move(entry));
            }
        }
    }
    for (const auto& entry : targets) {
        if (entry->alive) {
            entry->callback(userInfo);
        }
    }
}

}  // namespace platform
