#pragma once

#include "platform/CancelFlag.h"
#include "platform/ToolProcess.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/VolumeObj.h"

#include <QString>
#include <QVariantMap>

#include <chrono>
#include <functional>

// The Disk Tool's rules on a volume record and its commands that change a volume, each addressing it by its
// BSD identifier. The commands block on diskutil: the screen runs them on the global queue.
namespace disktool {

// --- rules on a listed volume ------------------------------------------------------------------------------

// Whether the volume counts as mounted: any free space outside APFS does, else a mount point.
bool isMounted(const VolumeObj& volume);
// A volume of the running system: mounted at "/" or anywhere outside "/Volumes". It is never renamed or
// formatted.
bool isRunningSystem(const VolumeObj& volume);
// The row's size text: used of total ("Unknow" without one), or the capacity of a volume not mounted.
QString sizeText(const VolumeObj& volume);
// The capacity bar's used percentage; an empty bar for a volume that is not mounted.
float usedPercent(const VolumeObj& volume);
// The size text of the lookups: "%.0f byte" below 1000, then KB, MB, GB and TB in steps of 1000, the
// quotient in single precision.
QString byteToSizeWithByte(quint64 bytes);
// A record from diskutil info of one device, as the lookup appends it.
VolumeObj volumeFromInfo(const QVariantMap& info);

// --- name rules --------------------------------------------------------------------------------------------

// Whether any UTF-16 unit lies strictly between U+4E00 and U+9FFF.
bool containsChinese(const QString& text);
// A name as a FAT32 volume takes it: "NEW" when it holds a CJK character, else upper-cased and cut to 11
// characters.
QString fat32Name(const QString& name);
// The name a rename sends: the FAT32 rule on a volume whose file system says "fat32".
QString renameName(const VolumeObj& volume, const QString& typed);
// The erase's name on the non-APFS road: "NEW" for an empty or one-blank name; the FAT32 rule for the type
// "MS-DOS FAT32".
QString eraseName(const QString& name, const QString& type);

// --- commands ----------------------------------------------------------------------------------------------

// What a command did, as diskutil reported it, and what the look at the volume afterwards found.
struct CommandResult {
    bool done = false;     // diskutil said it did it, and the look afterwards did not show otherwise
    bool stopped = false;  // the user stopped it
    QString reason;        // why it was not done, in the tool's own words where it gave some
    QString checkTrouble;  // done, but the look afterwards could not confirm it

    static CommandResult succeeded();
    static CommandResult failed(const QString& reason, bool stopped = false);
};

// The tool's own reason for a run that failed: its last line of output, or what became of it.
QString failureReason(const platform::ToolResult& result);

// The quick commands end by `deadline`: a tool that has not ended by then is stopped and the command fails.
using std::chrono::milliseconds;
CommandResult mountVolume(const QString& device,
                          milliseconds deadline = disk::DiskUtilCommands::kActionDeadline);
CommandResult unmountVolume(const QString& device,
                            milliseconds deadline = disk::DiskUtilCommands::kActionDeadline);
// diskutil ejects the whole disk that holds the volume.
CommandResult ejectVolume(const QString& device,
                          milliseconds deadline = disk::DiskUtilCommands::kActionDeadline);
// Done when the volume then carries the name (in any case, as FAT volumes keep it).
CommandResult renameVolume(const QString& device, const QString& name,
                           milliseconds deadline = disk::DiskUtilCommands::kActionDeadline);

// Erases the volume the user chose, unless its identifier no longer names it or it belongs to the running
// system. An APFS volume keeps its file system: it is renamed to `name` (within `renameDeadline`), then
// reformatted, and gets its old name back when the reformat leaves it unerased. Any other volume is erased
// to the file system `type` under `name`. Done when diskutil said so and the volume has a new volume UUID.
// `stop` ends whichever step runs, and the format then counts as stopped, whatever became of the step.
CommandResult formatVolume(const VolumeObj& volume, const QString& name, const QString& type,
                           const platform::CancelFlag& stop,
                           milliseconds renameDeadline = disk::DiskUtilCommands::kActionDeadline);

// First Aid, after a wait of `delay` that a stop cuts short, for at most `deadline`: every piece of the
// tool's output, standard error included, is handed to `piece` with the count of pieces so far (an empty text
// for bytes that are not UTF-8). Returns the verdict, the closing row.
QString runFirstAid(const platform::ToolCommand& command, const platform::CancelFlag& stop,
                    std::chrono::milliseconds delay, std::chrono::milliseconds deadline,
                    const std::function<void(const QString& text, int pieces)>& piece);

}  // namespace disktool
