#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace simmac {

// One line of ".sim/events.log": what the platform layer turns into workspace and Disk Arbitration
// notifications.
struct SimEvent {
    qint64 seq = 0;
    QString name;  // diskAppeared, diskDisappeared, didMount, didUnmount, didRename
    QString bsd;
    QString mountPoint;
    QString volumeName;
    QString oldMountPoint;

    bool operator==(const SimEvent&) const = default;
};

// Lines are "<seq>\t<event>\t<bsd>\t<mountPoint>\t<volumeName>\t<oldMountPoint>\n", each field UTF-8 and
// percent-encoded (QUrl::toPercentEncoding, "/" and " " kept), so no field can hold a tab or a line break.
class EventLog {
public:
    static QByteArray format(const SimEvent& event);
    static std::optional<SimEvent> parse(const QByteArray& line);
    // Appends in one write; the caller holds the exclusive lock.
    static bool append(const QList<SimEvent>& events);
    static QList<SimEvent> readAll();
};

}  // namespace simmac
