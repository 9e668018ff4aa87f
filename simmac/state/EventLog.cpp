#include "simmac/state/EventLog.h"

#include "simmac/state/SimPaths.h"

#include "platform/FileSystem.h"

#include <QFile>
#include <QUrl>

namespace simmac {
namespace {

QByteArray encode(const QString& field) {
    return QUrl::toPercentEncoding(field, "/ ");
}

QString decode(const QByteArray& field) {
    return QUrl::fromPercentEncoding(field);
}

}  // namespace

QByteArray EventLog::format(const SimEvent& event) {
    return QByteArray::number(event.seq) + '\t' + encode(event.name) + '\t' + encode(event.bsd) + '\t' +
           encode(event.mountPoint) + '\t' + encode(event.volumeName) + '\t' + encode(event.oldMountPoint) +
           '\n';
}

std::optional<SimEvent> EventLog::parse(const QByteArray& line) {
    const QList<QByteArray> fields = (line.endsWith('\n') ? line.chopped(1) : line).split('\t');
    if (fields.size() != 6) {
        return std::nullopt;
    }
    bool ok = false;
    SimEvent event{fields[0].toLongLong(&ok), decode(fields[1]), decode(fields[2]),
                   decode(fields[3]),         decode(fields[4]), decode(fields[5])};
    return ok ? std::optional(event) : std::nullopt;
}

bool EventLog::append(const QList<SimEvent>& events) {
    if (events.isEmpty()) {
        return true;
    }
    QByteArray bytes;
    for (const SimEvent& e : events) {
        bytes += format(e);
    }
    const auto file = platform::FileSystem::openForAppend(SimPaths::events());
    return file && file->write(bytes) == bytes.size();
}

QList<SimEvent> EventLog::readAll() {
    QList<SimEvent> events;
    const auto bytes = platform::FileSystem::readAll(SimPaths::events());
    for (const QByteArray& line : bytes.value_or(QByteArray()).split('\n')) {
        if (const auto event = parse(line)) {
            events.append(*event);
        }
    }
    return events;
}

}  // namespace simmac
