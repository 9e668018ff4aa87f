#pragma once

#include <QByteArray>
#include <QUrl>

#include <chrono>

namespace platform {

class NetworkProbe {
public:
    // A synchronous request on the calling thread that ignores any cached data: the body that came back,
    // empty when nothing came back within the time-out. It runs a local event loop, so callers keep it
    // off the main thread.
    static QByteArray sendSynchronousRequest(const QUrl& url, std::chrono::milliseconds timeout);
};

}  // namespace platform
