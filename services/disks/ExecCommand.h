#pragma once

#include "platform/ToolProcess.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <chrono>
#include <optional>

// The command-to-property-list runners. Each runs one tool from an argument vector (never through a
// shell) with its standard output sent to the runner's own file in the process's private folder and
// reads that file back as a dictionary. "Delete, run, read back" holds the file's lock, so two callers
// of one runner never read each other's output. The result is nothing for an empty command (nothing
// runs), a tool that cannot start or passes the deadline, output that is no dictionary, and diskutil's
// error document. The exit status is not looked at; callers of actions ignore the result and see the
// effect in the next lookup.
std::optional<QVariantMap> KVExecCommand(const platform::ToolCommand& command);      // "KVTemp.plist"
std::optional<QVariantMap> ExecCommand(const platform::ToolCommand& command);        // "QivTray.plist"
std::optional<QVariantMap> GetExecCommand(const platform::ToolCommand& command);     // "QivTray.plist"
std::optional<QVariantMap> execCommand(const platform::ToolCommand& command);        // "ZorbethanTemp.plist"
std::optional<QVariantMap> AexecCommand(const platform::ToolCommand& command);       // "AQuenlarTemp.plist"
std::optional<QVariantMap> eraserDiskCommand(const platform::ToolCommand& command);  // "eraserDiskTemp.plist"
std::optional<QVariantMap> eraserExecCommand(
    const platform::ToolCommand& command);  // "eraserVolumeTemp.plist"
std::optional<QVariantMap> aepairExecCommand(
    const platform::ToolCommand& command);  // "NexoriaRepairTemp.plist"
std::optional<QVariantMap> changeNameExecCommand(
    const platform::ToolCommand& command);  // "NexoriaChangeNameTemp.plist"
// The same with the caller's own file name (a plain name such as "OrvDataTemp.plist"); nothing when
// either is missing.
std::optional<QVariantMap> ZZDoCommand(const platform::ToolCommand& command, const QString& fileName);

// Runs the tool and parses its whole standard output, in memory, as a property list of any type.
std::optional<QVariant> DoCommand(const platform::ToolCommand& command);

// 1 when something exists at the (Mac) path and it is a folder, else 0.
int KVCheckFolderExist(const QString& path);

// A hung tool must not hold its caller, and the runner's file, for ever. Ten minutes unless a test
// shortens it.
std::chrono::milliseconds commandDeadline();
void setCommandDeadlineForTesting(std::chrono::milliseconds deadline);
