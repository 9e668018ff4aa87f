#include "simmac/state/CallLog.h"

#include "simmac/state/FileLock.h"
#include "simmac/state/SimPaths.h"

#include "platform/FileSystem.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <unistd.h>

namespace simmac {
namespace {

void append(const QJsonObject& entry) {
    const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
    if (const auto file = platform::FileSystem::openForAppend(SimPaths::calls())) {
        file->write(line);
    }
}

}  // namespace

void CallLog::logStart(qint64 seq, const QString& tool, const QStringList& argv) {
    append({{QStringLiteral("seq"), seq},
            {QStringLiteral("phase"), QStringLiteral("start")},
            {QStringLiteral("tool"), tool},
            {QStringLiteral("argv"), QJsonArray::fromStringList(argv)},
            {QStringLiteral("pid"), static_cast<qint64>(::getpid())},
            {QStringLiteral("t"), QDateTime::currentMSecsSinceEpoch()}});
}

void CallLog::logEnd(qint64 seq, int exitStatus, int signal) {
    const FileLock lock(FileLock::Mode::Exclusive);
    append({{QStringLiteral("seq"), seq},
            {QStringLiteral("phase"), QStringLiteral("end")},
            {QStringLiteral("exit"), exitStatus},
            {QStringLiteral("signal"), signal},
            {QStringLiteral("t"), QDateTime::currentMSecsSinceEpoch()}});
}

QList<QJsonObject> CallLog::readAll() {
    QList<QJsonObject> entries;
    const auto bytes = platform::FileSystem::readAll(SimPaths::calls());
    for (const QByteArray& line : bytes.value_or(QByteArray()).split('\n')) {
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject()) {
            entries.append(doc.object());
        }
    }
    return entries;
}

}  // namespace simmac
