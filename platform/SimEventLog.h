#pragma once

#include "platform/NotificationCenter.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <mutex>
#include <optional>

class QFileSystemWatcher;
class QTimer;

namespace platform {

// Follows the simulated Mac's event log ("<root>/.sim/events.log": one line per state change,
// "<seq>\t<event>\t<bsd>\t<mountPoint>\t<volumeName>\t<oldMountPoint>", fields percent-encoded) and
// posts each complete new line on center() under the event's name ("diskAppeared", "didMount", …),
// always on the main thread. It starts at the log's end when it begins to follow a simulated Mac:
// older events were delivered to nobody. The workspace and Disk Arbitration stand-ins observe it.
class SimEventLog : public QObject {
    Q_OBJECT

public:
    struct Event {
        qint64 seq = 0;
        QString name;
        QString bsdName;
        QString mountPoint;
        QString volumeName;
        QString oldMountPoint;
    };

    // Keys of the user info of every posted event.
    static inline const QString kBsdName = QStringLiteral("bsdName");
    static inline const QString kMountPoint = QStringLiteral("mountPoint");
    static inline const QString kVolumeName = QStringLiteral("volumeName");
    static inline const QString kOldMountPoint = QStringLiteral("oldMountPoint");

    static SimEventLog& instance();

    // Follows the current TAVRUN_SIM_ROOT from its log's present end; nothing changes while it is the
    // one already followed. Any thread.
    void follow();
    NotificationCenter& center() { return center_; }

    // One line without its line feed; nothing when it is not an event line.
    static std::optional<Event> parseLine(const QByteArray& line);

private:
    SimEventLog();
    void startOnMainThread();
    void watchFile();
    void readNewLines();

    NotificationCenter center_;
    std::mutex mutex_;  // guards the fields below; never held while posting
    QString root_;
    QString file_;
    qint64 offset_ = 0;
    QByteArray partial_;
    QFileSystemWatcher* watcher_ = nullptr;  // children, main thread only
    QTimer* poll_ = nullptr;
};

}  // namespace platform
