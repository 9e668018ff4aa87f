#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil info -plist <device>
class InfoVerb {
public:
    static int run(ToolContext& ctx, const QStringList& args);
};

}  // namespace simmac
