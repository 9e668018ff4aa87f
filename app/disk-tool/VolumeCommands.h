#pragma once

#include "platform/CancelFlag.h"
#include "platform/ToolProcess.h"
#include "services/disks/VolumeObj.h"

#include <QString>

#include <functional>

// The Disk Tool's commands that change a volume, each addressing it by its BSD identifier. They block on
// diskutil: the screen runs them on the global queue, except the rename, which it waits for. A command counts
// as done only when diskutil says so and the volume shows it.
namespace disktool {

// diskutil rename; done when the volume then carries the name (in any case, as FAT volumes keep it).
bool renameVolume(const QString& device, const QString& name);

// Erases the volume the user chose, unless its identifier no longer names it. An APFS volume keeps its file
// system: it is renamed to `name`, then reformatted. Any other volume is erased to the file system `type`
// under `name`. Done when diskutil said so and the volume has a new volume UUID; nothing is erased once a
// step failed.
bool formatVolume(const VolumeObj& volume, const QString& name, const QString& type);

// First Aid, after a wait of `delayMs` that a stop cuts short: every piece of the tool's output, standard
// error included, is handed to `piece` with the count of pieces so far (an empty text for bytes that are not
// UTF-8). Returns the closing row: empty after a clean end, else what went wrong.
QString runFirstAid(const platform::ToolCommand& command, const platform::CancelFlag& stop, int delayMs,
                    const std::function<void(const QString& text, int pieces)>& piece);

}  // namespace disktool
