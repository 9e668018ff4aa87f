#include "simmac/state/SandboxPath.h"

#include "platform/FileSystem.h"
#include "platform/MacPath.h"

#include <QFileInfo>

namespace simmac {

std::optional<QString> SandboxPath::canonical(const QString& macPath) {
    const auto host = platform::hostPath(macPath);
    if (!host) {
        return std::nullopt;
    }
    const QString root = QFileInfo(platform::simRoot()).canonicalFilePath();
    const QString resolved = QFileInfo(*host).canonicalFilePath();
    if (root.isEmpty() || resolved.isEmpty()) {
        return std::nullopt;
    }
    if (resolved == root) {
        return QStringLiteral("/");
    }
    if (resolved.startsWith(root + QLatin1Char('/'))) {
        return resolved.mid(root.size());
    }
    return std::nullopt;
}

bool SandboxPath::staysInside(const QString& cleanMacPath) {
    using platform::FileSystem;
    QString path = cleanMacPath;
    while (!FileSystem::exists(path) && !FileSystem::isSymLink(path) && path != QLatin1String("/")) {
        path = path.section(QLatin1Char('/'), 0, -2);
        path = path.isEmpty() ? QStringLiteral("/") : path;
    }
    return canonical(path).has_value();
}

}  // namespace simmac
