#include "simmac/wrappers/HostToolWrapper.h"

#include "simmac/ToolExit.h"
#include "simmac/state/SandboxPath.h"
#include "simmac/tools/HostProcess.h"

#include "platform/MacPath.h"

namespace simmac {
namespace {

QString hostProgram(const QString& tool) {
    if (tool == QLatin1String("zip")) {
        return QStringLiteral("/usr/bin/zip");
    }
    return QStringLiteral("/bin/") + tool;
}

[[noreturn]] void leadsOut(const QString& argument) {
    throw ToolExit{1, QStringLiteral("simmac: %1 leads out of the simulated Mac").arg(argument)};
}

// A relative path is left as it is and the host tool resolves it from the sim root (zip) or from wherever
// the wrapper was started, so ".." could climb out of the sandbox from there.
bool climbs(const QString& argument) {
    return !argument.startsWith(QLatin1Char('-')) &&
           argument.split(QLatin1Char('/')).contains(QLatin1String(".."));
}

QString mapped(const QString& argument, bool relative) {
    if (climbs(argument)) {
        leadsOut(argument);
    }
    if (!argument.startsWith(QLatin1Char('/'))) {
        return argument;
    }
    const auto clean = platform::cleanMacPath(argument);
    if (!clean || !SandboxPath::staysInside(*clean)) {
        leadsOut(argument);
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
