#include "simmac/state/UsageMeter.h"

#include "simmac/state/ContentFolder.h"

#include <algorithm>

namespace simmac {

qint64 UsageMeter::used(const Volume& volume) {
    if (!volume.hasFileSystem()) {
        return 0;
    }
    const auto cached = cache_.constFind(volume.id);
    if (cached != cache_.constEnd()) {
        return *cached;
    }
    const qint64 files = countFiles_ ? ContentFolder::of(state_, volume).fileBytes() : 0;
    return cache_[volume.id] = volume.usedBytes + files;
}

qint64 UsageMeter::freeSpace(const Volume& volume) {
    if (!volume.isMounted() || volume.isApfs()) {
        return 0;
    }
    return std::max<qint64>(0, volume.size - used(volume));
}

qint64 UsageMeter::containerFree(const Disk& container) {
    qint64 total = 0;
    for (const Volume& v : container.apfsVolumes) {
        total += used(v);
    }
    return std::max<qint64>(0, container.whole.size - total);
}

qint64 UsageMeter::available(const Volume& volume) {
    if (!volume.isApfs()) {
        return freeSpace(volume);
    }
    for (const Disk& d : state_.disks) {
        if (d.isContainer() && std::any_of(d.apfsVolumes.begin(), d.apfsVolumes.end(),
                                           [&](const Volume& v) { return v.id == volume.id; })) {
            return containerFree(d);
        }
    }
    return 0;
}

}  // namespace simmac
