#include "simmac/state/SimPaths.h"

#include "platform/MacPath.h"

#include <QFileInfo>

namespace simmac {

QString SimPaths::host(const QString& macPath) {
    if (!platform::hasSimRoot()) {
        return {};
    }
    return platform::hostPath(macPath).value_or(QString());
}

bool SimPaths::rootIsReady() {
    const QString file = host(state());
    return !file.isEmpty() && QFileInfo(file).isReadable();
}

}  // namespace simmac
