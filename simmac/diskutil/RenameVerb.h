#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil rename <device> <name>
class RenameVerb {
public:
    static int run(ToolContext& ctx, const QStringList& args);
    // The failure text for a name the file system does not take; empty when it takes it.
    static QString nameProblem(const QString& fileSystem, const QString& name);
};

}  // namespace simmac
