#include "app/shell/UpdateCheck.h"

#include "platform/Dispatch.h"
#include "platform/LogCategories.h"
#include "platform/MacPath.h"
#include "platform/PropertyList.h"
#include "platform/TestSettings.h"
#include "services/utilities/KVLinkUrl.h"
#include "services/utilities/KVPublicUtilities.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

#include <utility>

namespace shell {

namespace {

// Set and read on the main thread only, where the fetch runs.
std::chrono::milliseconds testFetchLimit{0};

void logTooLong() {
    qCWarning(lcApp) << "release description longer than" << UpdateCheck::kDescriptionByteLimit
                     << "bytes; not read";
}

}  // namespace

UpdateCheck::UpdateCheck(QObject* parent) : QObject(parent), manager_(new QNetworkAccessManager(this)) {
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);  // a coarse timer may end the wait up to 5 % early
    connect(&deadline_, &QTimer::timeout, this, &UpdateCheck::fetchTimedOut);
}

UpdateCheck::~UpdateCheck() {
    dropReply();
}

void UpdateCheck::start() {
    QPointer<UpdateCheck> self(this);
    platform::globalAsync([self] {
        const bool online = KVPublicUtilities::isCanBeUseNetWork();
        platform::mainAsync([self, online] {
            if (self) {
                self->probeAnswered(online);
            }
        });
    });
}

std::optional<QUrl> UpdateCheck::descriptionAddress() {
    const std::optional<QString> text = KVLinkUrl::GetUrl(QStringLiteral("IniURL"));
    if (!text) {
        return std::nullopt;
    }
    const QUrl address(*text, QUrl::StrictMode);
    if (!address.isValid() || address.isRelative()) {
        return std::nullopt;
    }
    if (!address.isLocalFile()) {
        return address;
    }
    const std::optional<QString> host = platform::hostPath(address.toLocalFile());
    return host ? std::optional(QUrl::fromLocalFile(*host)) : std::nullopt;
}

void UpdateCheck::setFetchLimitForTesting(std::chrono::milliseconds limit) {
    platform::restoreAfterTest([old = std::exchange(testFetchLimit, limit)] { testFetchLimit = old; });
}

void UpdateCheck::probeAnswered(bool online) {
    if (online) {
        fetch();
    } else {
        emit noNetwork();
    }
}

void UpdateCheck::fetch() {
    const std::optional<QUrl> address = descriptionAddress();
    if (!address) {
        qCWarning(lcApp) << "no usable address for the release description";
        emit descriptionFetched({});
        return;
    }
    reply_ = manager_->get(QNetworkRequest(*address));
    connect(reply_, &QNetworkReply::finished, this, &UpdateCheck::replyFinished);
    connect(reply_, &QNetworkReply::downloadProgress, this, &UpdateCheck::replyProgressed);
    deadline_.start(testFetchLimit > testFetchLimit.zero() ? testFetchLimit
                                                           : std::chrono::milliseconds(kFetchLimit));
}

void UpdateCheck::replyFinished() {
    QVariantMap description;
    if (reply_->error() == QNetworkReply::NoError) {
        const QByteArray bytes = reply_->read(kDescriptionByteLimit + 1);
        if (bytes.size() > kDescriptionByteLimit) {
            logTooLong();
        } else {
            description = platform::PropertyList::dictionaryFromBytes(bytes).value_or(QVariantMap());
        }
    } else {
        qCInfo(lcApp) << "release description not fetched:" << reply_->errorString();
    }
    dropReply();
    emit descriptionFetched(description);
}

void UpdateCheck::replyProgressed(qint64 received, qint64 total) {
    if (received <= kDescriptionByteLimit && total <= kDescriptionByteLimit) {
        return;
    }
    logTooLong();
    dropReply();
    emit descriptionFetched({});
}

void UpdateCheck::fetchTimedOut() {
    qCInfo(lcApp) << "no release description within the limit";
    dropReply();
    emit descriptionFetched({});
}

void UpdateCheck::dropReply() {
    deadline_.stop();
    if (QNetworkReply* reply = std::exchange(reply_, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

}  // namespace shell
