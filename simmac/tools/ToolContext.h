#pragma once

#include "simmac/tools/Console.h"
#include "simmac/tools/FaultRule.h"
#include "simmac/tools/SimConfig.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace simmac {

// What one run of a simulated tool works with: its name and arguments, the pacing, its output and the fault
// rule that matched the call.
struct ToolContext {
    QString tool;
    QStringList args;
    SimConfig config;
    Console console;
    std::optional<FaultRule> fault;

    // The node a streaming verb works on; the disk behind it disappears for a "detachDisk" rule, and its
    // disappearance ends the verb.
    QString target;
    QString targetUuid;

    void watch(const QString& nodeId, const QString& volumeUuid) {
        target = nodeId;
        targetUuid = volumeUuid;
    }
    // Ends the tool with the "disk disappeared" error of the tool when the watched node is gone (unplugged
    // out of band, for instance).
    void ensureTargetPresent() const;
    // The error text with which the tool reports that its disk disappeared.
    QString disappearedMessage() const;
};

}  // namespace simmac
