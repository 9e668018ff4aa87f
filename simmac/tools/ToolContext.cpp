#include "simmac/tools/ToolContext.h"

#include "simmac/ToolExit.h"
#include "simmac/state/StateTransaction.h"

namespace simmac {

void ToolContext::ensureTargetPresent() const {
    if (target.isEmpty()) {
        return;
    }
    const auto state = StateTransaction::read();
    const ConstNodeRef node = state ? state->node(target) : ConstNodeRef{};
    if (!node || (!targetUuid.isEmpty() && node.volume->uuid != targetUuid)) {
        throw ToolExit{1, disappearedMessage()};
    }
}

QString ToolContext::disappearedMessage() const {
    return tool == QLatin1String("asr") ? QStringLiteral("Could not restore - Input/output error")
                                        : QStringLiteral("Error: -69808: The disk disappeared");
}

}  // namespace simmac
