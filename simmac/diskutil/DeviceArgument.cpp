#include "simmac/diskutil/DeviceArgument.h"

#include "simmac/ToolExit.h"
#include "simmac/state/DeviceResolver.h"

namespace simmac {

QString DeviceArgument::node(const SimState& state, const QString& argument) {
    const auto id = DeviceResolver::resolve(state, argument);
    if (!id) {
        notFound(argument);
    }
    return *id;
}

QString DeviceArgument::wholeDisk(const SimState& state, const QString& argument) {
    return state.wholeDiskOf(node(state, argument));
}

void DeviceArgument::notFound(const QString& argument) {
    throw ToolExit{1, QStringLiteral("Could not find disk: ") + argument};
}

}  // namespace simmac
