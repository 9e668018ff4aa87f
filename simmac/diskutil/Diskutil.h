#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// The simulated /usr/sbin/diskutil: picks the verb (case-insensitive) and hands it the arguments after it.
class Diskutil {
public:
    static int run(ToolContext& ctx);
    // Ends the tool with the usage text of a verb (or the general one), exit status 1.
    [[noreturn]] static void usage(const QString& verb = {});
    // Writes a dictionary as an XML property list on standard output.
    static void printPlist(ToolContext& ctx, const QVariantMap& map);
};

}  // namespace simmac
