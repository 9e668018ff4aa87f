#include "simmac/wrappers/HostToolWrapper.h"

#include "simmac/ToolExit.h"
#include "simmac/state/DeviceResolver.h"
#include "simmac/tools/HostProcess.h"

#include "platform/FileSystem.h"
#include "platform/MacPath.h"

namespace simmac {
namespace {

QString hostProgram(const QString& tool) {
    if (tool == QLatin1String("zip")) {
        return QStringLiteral("/usr/bin/zip");
    }
    return QStringLiteral("/bin/") + tool;
}

// The nearest existing folder or file at or above the path still lies in the sim root once links are
// followed.
bool staysInside(const QString& cleanPath) {
    QString path = cleanPath;
    while (!platform::FileSystem::exists(path) && !platform::FileSystem::isSymLink(path) &&
           path != QLatin1String("/")) {
        path = path.section(QLatin1Char('/'), 0, -2);
        path = path.isEmpty() ? QStringLiteral("/") : path;
    }
    if (platform::FileSystem::isSymLink(path) && !platform::FileSystem::exists(path)) {
        return false;  // a dangling link may point anywhere
    }
    return DeviceResolver::canonicalMacPath(path).has_value();
}

QString mapped(const QString& argument, bool relative) {
    if (!argument.startsWith(QLatin1Char('/'))) {
        return argument;
    }
    const auto clean = platform::cleanMacPath(argument);
    if (!clean || !staysInside(*clean)) {
        throw ToolExit{1, QStringLiteral("simmac: %1 leads out of the simulated Mac").arg(argument)};
    }
    if (relative) {
        return *clean == QLatin1String("/") ? QStringLiteral(".") : clean->mid(1);
    }
    return platform::hostPath(*clean).value_or(QString());
}

}  // namespace

int HostToolWrapper::run(ToolContext& ctx) {
    const bool zip = ctx.tool == QLatin1String("zip");
    QStringList args;
    for (const QString& argument : ctx.args) {
        args.append(mapped(argument, zip));
    }
    return HostProcess::forward(hostProgram(ctx.tool), args, zip ? platform::simRoot() : QString());
}

int HostToolWrapper::killall(ToolContext& ctx) {
    ctx.console.error(QStringLiteral("No matching processes belonging to you were found"));
    return 1;
}

}  // namespace simmac
