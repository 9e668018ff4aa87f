#include "app/bootable/SystemVolume.h"

#include "services/jobs/VolumeOnDisk.h"

#include <algorithm>
#include <limits>

namespace bootable {

namespace {

quint64 number(const QVariantMap& info, const char* key) {
    return info.value(QLatin1String(key)).toULongLong();
}

}  // namespace

SystemVolume systemVolumeFrom(const QVariantMap& info, int version) {
    const bool container = version >= 1015;
    const quint64 size = number(info, container ? "APFSContainerSize" : "TotalSize");
    const quint64 free = number(info, container ? "APFSContainerFree" : "FreeSpace");
    SystemVolume volume;
    // More free than total is a malformed answer, not a negative use: the difference must not wrap.
    volume.usedSize =
        free < size ? static_cast<qint64>(std::min<quint64>(size - free, std::numeric_limits<qint64>::max()))
                    : 0;
    volume.wholeDisks = jobs::wholeDisksOf(info);
    return volume;
}

}  // namespace bootable
