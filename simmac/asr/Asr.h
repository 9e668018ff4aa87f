#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// The simulated /usr/sbin/asr: only `asr restore --source <src> --target <tgt> --erase [--noprompt]`.
class Asr {
public:
    static int run(ToolContext& ctx);
};

}  // namespace simmac
