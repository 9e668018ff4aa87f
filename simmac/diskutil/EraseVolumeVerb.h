#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// diskutil eraseVolume <fs> <name> <device> and diskutil reformat <device> (the volume's own file system and
// name): the volume is emptied, gets a new UUID and is mounted again.
class EraseVolumeVerb {
public:
    static int eraseVolume(ToolContext& ctx, const QStringList& args);
    static int reformat(ToolContext& ctx, const QStringList& args);

private:
    static int erase(ToolContext& ctx, const QString& argument, const QString& fileSystemName,
                     const QString* name);
};

}  // namespace simmac
