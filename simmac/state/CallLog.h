#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace simmac {

// ".sim/calls.log": one JSON line when a simulated tool starts and one when it ends (a tool that hangs or
// is killed shows only its start). "argv" holds the arguments after the tool's name, exactly as received.
class CallLog {
public:
    // The caller holds the exclusive lock; `seq` comes from the state.
    static void logStart(qint64 seq, const QString& tool, const QStringList& argv);
    static void logEnd(qint64 seq, int exitStatus, int signal);
    static QList<QJsonObject> readAll();
};

}  // namespace simmac
