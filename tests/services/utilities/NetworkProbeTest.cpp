#include "services/utilities/KVPublicUtilities.h"

#include "tests/support/TestEnv.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <future>

namespace {

// A web server on the loopback address, served by the main thread while the probe blocks a worker.
class LoopbackServer {
public:
    explicit LoopbackServer(QByteArray answer) : answer_(std::move(answer)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (request_.contains("\r\n\r\n") && !answer_.isEmpty()) {
                        socket->write(answer_);
                        socket->disconnectFromHost();
                    }
                });
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server_.serverPort())); }
    const QByteArray& request() const { return request_; }

private:
    QTcpServer server_;
    QByteArray answer_;
    QByteArray request_;
};

bool probe(const QUrl& url, qint64* elapsed = nullptr) {
    KVPublicUtilities::setNetworkProbeURLForTesting(url);
    QElapsedTimer clock;
    clock.start();
    auto answer = std::async(std::launch::async, [] { return KVPublicUtilities::isCanBeUseNetWork(); });
    testsupport::waitUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000);
    if (elapsed != nullptr) {
        *elapsed = clock.elapsed();
    }
    return answer.get();
}

TEST(NetworkProbe, AnyDataMeansTheNetworkAnswers) {
    LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
    EXPECT_TRUE(probe(server.url()));
    EXPECT_TRUE(server.request().toLower().contains("cache-control: no-cache")) << "cached data is ignored";
}

TEST(NetworkProbe, AnAnswerWithoutDataIsNoNetwork) {
    LoopbackServer server("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
    EXPECT_FALSE(probe(server.url()));
}

TEST(NetworkProbe, NobodyListeningIsNoNetwork) {
    QUrl closed;
    {
        QTcpServer reserve;
        reserve.listen(QHostAddress::LocalHost);
        closed = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(reserve.serverPort()));
    }
    qint64 elapsed = 0;
    EXPECT_FALSE(probe(closed, &elapsed));
    EXPECT_LT(elapsed, 4000);
}

TEST(NetworkProbe, ASilentServerIsNoNetworkAfterFiveSeconds) {
    LoopbackServer server({});
    qint64 elapsed = 0;
    EXPECT_FALSE(probe(server.url(), &elapsed));
    EXPECT_GE(elapsed, 4900);
    EXPECT_LT(elapsed, 9000);
}

}  // namespace
