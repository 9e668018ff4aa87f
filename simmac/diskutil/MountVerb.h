#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil mount <device> / diskutil unmount <device>: one volume.
class MountVerb {
public:
    static int mount(ToolContext& ctx, const QStringList& args);
    static int unmount(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
