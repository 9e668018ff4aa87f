#include "platform/TerminationSignals.h"

#include "platform/LogCategories.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> writeEnd{-1};

// Async-signal-safe: one byte, the signal's number, to the main thread's side.
void forward(int signalNumber) {
    const int saved = errno;
    const int fd = writeEnd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

void setAction(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

// A signal the process was started to ignore (nohup, a background job) stays ignored.
bool ignored(int signalNumber) {
    struct sigaction current {};
    return ::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (writeEnd.load() >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipe_.data()) != 0) {
        qCWarning(lcPlatform) << "termination signals are not watched";
        return;
    }
    ::fcntl(pipe_[1], F_SETFL, O_NONBLOCK);  // a full pipe drops a signal instead of blocking the handler
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    writeEnd.store(pipe_[1]);
    for (const int signalNumber : kSignals) {
        if (!ignored(signalNumber)) {
            setAction(signalNumber, &forward);
            watched_.push_back(signalNumber);
        }
    }
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) {
        return;
    }
    for (const int signalNumber : watched_) {
        setAction(signalNumber, SIG_DFL);
    }
    writeEnd.store(-1);
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TerminationSignals::readSignal() {
    unsigned char byte = 0;
    if (::read(pipe_[0], &byte, 1) == 1) {
        qCInfo(lcPlatform) << "termination signal" << byte << "received";
        emit received(byte);
    }
}

}  // namespace platform
