#pragma once

#include "tests/support/TestEnv.h"

#include "simmac/state/EventLog.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantMap>

namespace testsupport {

// What one run of a simulated tool gave back.
struct ToolRun {
    int exitCode = -1;  // -1 when it did not start or did not exit by itself
    QByteArray out;
    QByteArray err;
};

// A fresh simulated Mac in a temporary folder, made with `simctl init --preset <preset>`; for its lifetime
// TAVRUN_SIM_ROOT and TAVRUN_TOOL_ROOT point at it and at the build's tool root. Pacing delays are set short
// (config.plist) so tests run fast.
class SimMac {
public:
    explicit SimMac(const QString& preset = QStringLiteral("apple-silicon-13"));
    const QString& root() const;  // host path of the sim root
    QString toolRoot() const;
    QString simctl(const QStringList& args) const;  // runs simctl, returns stdout; fails the test on error
    QString attach(const QString& devicePreset, const QStringList& options = {}) const;  // returns "diskN"
    void detach(const QString& disk, bool unplug = true) const;
    void addFault(const QVariantMap& rule) const;                     // appends a rule to .sim/faults.plist
    void setConfig(const QString& key, const QVariant& value) const;  // .sim/config.plist
    QVariantMap state() const;                                        // .sim/state.plist
    QList<QJsonObject> calls() const;                                 // .sim/calls.log parsed
    QStringList events() const;                                       // .sim/events.log lines

    // The events from the `from`-th on, decoded.
    QList<simmac::SimEvent> eventRecords(qsizetype from = 0) const;
    // Host path of a Mac path in this simulated Mac.
    QString host(const QString& macPath) const;
    // Runs a simulated tool by its Mac path ("/usr/sbin/diskutil") with the arguments and standard input.
    ToolRun run(const QString& macTool, const QStringList& args, const QByteArray& input = {}) const;
    // `diskutil info -plist <device>` / `diskutil list -plist`, parsed; empty when the tool gives no
    // dictionary.
    QVariantMap info(const QString& device) const;
    QVariantMap list() const;

private:
    QTemporaryDir dir_;
    QString root_;
    ScopedEnv toolRootEnv_;
    ScopedEnv simRootEnv_;
};

// hdiutil create and attach of a small disk image holding one file; the image's whole disk ("disk6").
QString attachImage(const SimMac& sim, const QString& volumeName);

// The arguments of the simulated tools' calls, in order, for one tool.
QList<QStringList> toolCalls(const SimMac& sim, const QString& tool);

}  // namespace testsupport
