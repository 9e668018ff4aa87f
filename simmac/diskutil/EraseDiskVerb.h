#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil eraseDisk <fs> <name> [GPT|MBR] <disk>: the whole disk gets a new partition map (GUID: an EFI
// partition and the new volume; MBR: the new volume alone) and the new volume is mounted. Its steps are
// paced over "EraseDelayMs" and it stops when its disk disappears.
class EraseDiskVerb {
public:
    static int run(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
