#pragma once

#include "simmac/state/SimState.h"

#include <QHash>

namespace simmac {

// Used and free space as the tools report them: used = "UsedBytes" + the files in the volume's content
// folder (config "ComputeUsageFromFiles"); a volume's free space = size − used while mounted, 0 while
// unmounted; an APFS container's free space = its size − the used space of all its volumes.
class UsageMeter {
public:
    UsageMeter(const SimState& state, bool countFiles) : state_(state), countFiles_(countFiles) {}

    qint64 used(const Volume& volume);
    qint64 freeSpace(const Volume& volume);
    qint64 containerFree(const Disk& container);
    // Free space where new data would go: the container's for an APFS volume.
    qint64 available(const Volume& volume);

private:
    const SimState& state_;
    bool countFiles_;
    QHash<QString, qint64> cache_;
};

}  // namespace simmac
