#pragma once

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <chrono>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace shell {

// The update window's check, kept off the main thread's back: the network probe runs on the global queue;
// when it answers, the release description is read from the link table's "IniURL" address on the main
// thread's event loop, never waited for. The read has a time limit; a description that cannot be fetched or
// read within it arrives empty, and so does one longer than a description can be. Destroying the check drops
// whatever is still under way: nothing is reported after that.
class UpdateCheck : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kFetchLimit{60};
    // A description is a few kilobytes; no more than this is read.
    static constexpr qint64 kDescriptionByteLimit = 256 * 1024;

    explicit UpdateCheck(QObject* parent = nullptr);
    ~UpdateCheck() override;
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // Once per check.
    void start();

    // "IniURL" of the link table; a file address names a Mac path. Nothing when there is no usable address.
    static std::optional<QUrl> descriptionAddress();
    // Tests shorten the fetch's limit; zero restores the default.
    static void setFetchLimitForTesting(std::chrono::milliseconds limit);

signals:
    void noNetwork();
    void descriptionFetched(const QVariantMap& description);

private:
    void probeAnswered(bool online);
    void fetch();
    void replyFinished();
    void replyProgressed(qint64 received, qint64 total);
    void fetchTimedOut();
    void dropReply();

    QNetworkAccessManager* manager_;
    QNetworkReply* reply_ = nullptr;
    QTimer deadline_;
};

}  // namespace shell
