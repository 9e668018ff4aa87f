#include "platform/NetworkProbe.h"

#include "platform/LogCategories.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace platform {

QByteArray NetworkProbe::sendSynchronousRequest(const QUrl& url, std::chrono::milliseconds timeout) {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % early
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeout);
    loop.exec();
    if (!reply->isFinished()) {
        qCInfo(lcPlatform) << "no answer from" << url.toString() << "within" << timeout.count() << "ms";
        reply->abort();
        return {};
    }
    return reply->readAll();
}

}  // namespace platform
