#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil mountDisk <device> / diskutil unmountDisk <device>: every volume of a whole disk, and of the
// containers stored on it.
class MountDiskVerb {
public:
    static int mountDisk(ToolContext& ctx, const QStringList& args);
    static int unmountDisk(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
