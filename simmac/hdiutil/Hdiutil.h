#pragma once

#include "simmac/tools/ToolContext.h"

namespace simmac {

// The simulated /usr/bin/hdiutil: create (an image file from a folder), attach or mount (the image as a
// disk, its volume mounted), detach or eject (the files packed back into the image, the disk removed).
class Hdiutil {
public:
    static int run(ToolContext& ctx);

private:
    static int create(ToolContext& ctx, const QStringList& args);
    static int attach(ToolContext& ctx, const QString& verb, const QStringList& args);
    static int detach(ToolContext& ctx, const QString& verb, const QStringList& args);
};

}  // namespace simmac
