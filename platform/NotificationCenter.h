#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

// Named notifications with a user-info dictionary, delivered synchronously on the posting thread.
// An observer stays registered while its token lives; once the token is destroyed (even from inside a
// callback, or while another thread is posting) the callback is never entered again. Destroying a token
// never waits for a callback that another thread is running: whatever that callback uses must outlive it.
class NotificationCenter {
public:
    using Callback = std::function<void(const QVariantMap& userInfo)>;

    class Token {
    public:
        Token() = default;
        Token(Token&&) noexcept = default;
        Token& operator=(Token&& other) noexcept;
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;
        ~Token();
        void reset();
        explicit operator bool() const { return entry_ != nullptr; }

    private:
        friend class NotificationCenter;
        struct Entry;
        explicit Token(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        std::shared_ptr<Entry> entry_;
    };

    static NotificationCenter& defaultCenter();

    [[nodiscard]] Token addObserver(const QString& name, Callback callback);
    void post(const QString& name, const QVariantMap& userInfo = {});

private:
    std::mutex mutex_;
    std::vector<std::weak_ptr<Token::Entry>> entries_;
};

}  // namespace platform
