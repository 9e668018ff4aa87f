#pragma once

#include <QObject>

#include <array>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace platform {

// The system's requests that the process end (SIGTERM at logout or shutdown, SIGINT from a terminal,
// SIGHUP when its terminal goes), delivered on the main thread as a signal instead of ending the process
// where it stands, so that it can quit in order. One at a time in a process; the default actions come back
// when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool isWatching() const { return notifier_ != nullptr; }

signals:
    void received(int signalNumber);

private:
    void readSignal();

    std::array<int, 2> pipe_{-1, -1};
    std::vector<int> watched_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform
