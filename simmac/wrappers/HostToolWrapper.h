#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// zip, cp and chmod: every argument that is an absolute Mac path is mapped into the sim root, and the host's
// real tool runs with the mapped arguments, its output and exit status passed through. zip runs in the sim
// root with the paths made relative, so its entries read "Volumes/Src/…" as a Mac's zip stores them. A path
// that leaves the sim root, also through a link, is refused before anything runs, and so is any path with a
// ".." component.
class HostToolWrapper {
public:
    static int run(ToolContext& ctx);
    // `killall`: logs the call like every tool and kills nothing.
    static int killall(ToolContext& ctx);
};

}  // namespace simmac
