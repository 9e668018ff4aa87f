#pragma once

#include "platform/ToolProcess.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <chrono>
#include <optional>

// The command-to-property-list runners. Each runs one tool from an argument vector (never through a
// shell) with its standard output sent to a file of that run's own in the process's private folder, named
// after the runner's file, and reads that file back as a dictionary: two callers never read each other's
// output nor wait for each other. The result is nothing for an empty command (nothing runs), a tool that
// cannot start or passes its deadline, output that is no dictionary, and diskutil's error document. The
// exit status is not looked at; callers of actions ignore the result and see the effect in the next
// lookup. A lookup ("list", "info") gets the short lookup deadline, any other tool the command deadline.
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

// A hung tool must not hold its caller for ever. Ten minutes unless a test shortens it.
std::chrono::milliseconds commandDeadline();
void setCommandDeadlineForTesting(std::chrono::milliseconds deadline);

namespace disk {

// A lookup only reads and a healthy one ends within seconds: thirty of them, and never more than the
// command deadline, unless a test shortens it.
std::chrono::milliseconds lookupDeadline();
void setLookupDeadlineForTesting(std::chrono::milliseconds deadline);
// The deadline of whatever the command is: a lookup's or the command deadline.
std::chrono::milliseconds deadlineFor(const platform::ToolCommand& command);

// ExecCommand with the caller's deadline instead (a lookup inside an enumeration gets at most what is left
// of the enumeration's own).
std::optional<QVariantMap> lookupWithin(const platform::ToolCommand& command,
                                        std::chrono::milliseconds deadline);

}  // namespace disk
