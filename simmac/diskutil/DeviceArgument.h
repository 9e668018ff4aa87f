#pragma once

#include "simmac/state/SimState.h"

#include <QString>

namespace simmac {

// A device argument of a diskutil verb turned into a node; an argument naming nothing ends the tool with
// "Could not find disk: <arg>".
class DeviceArgument {
public:
    static QString node(const SimState& state, const QString& argument);
    // For whole-disk verbs: a partition's disk, an APFS volume's container.
    static QString wholeDisk(const SimState& state, const QString& argument);
    [[noreturn]] static void notFound(const QString& argument);
};

}  // namespace simmac
