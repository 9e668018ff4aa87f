#pragma once

#include <QStringList>

namespace simmac {

// The control tool of the simulated Mac, for fixtures, the demo and people trying things:
//   init <dir> --preset <mac-preset>
//   attach <device-preset> [--name N] [--size 16G] [--fs exfat|fat32|fat16|hfs|jhfs|apfs]
//   attach <diskN>                       plugs a detached disk in again (it gets a new number)
//   detach <disk> [--unplug|--eject]     pulls the disk out (default) or ejects it as diskutil would
//   set <node> <key> <value>             changes a key of a disk or volume; unknown keys go to "Extra"
//   fault add <plist dictionary>         appends a fault rule
//   state | events | calls               prints the inventory, the event log, the call log
// Every command but init works on TAVRUN_SIM_ROOT. Sizes are decimal (G = 10^9).
class SimCtl {
public:
    static int run(const QStringList& args);
};

}  // namespace simmac
