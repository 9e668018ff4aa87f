#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil list -plist [device]
class ListVerb {
public:
    static int run(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
