#include "simmac/tools/SimTool.h"

#include "simmac/asr/Asr.h"
#include "simmac/diskutil/Diskutil.h"
#include "simmac/hdiutil/Hdiutil.h"
#include "simmac/tools/ToolSession.h"
#include "simmac/wrappers/HostToolWrapper.h"

#include <QFileInfo>

#include <cstdio>

namespace simmac {

int SimTool::run(const QString& calledAs, const QStringList& args) {
    const QString name = QFileInfo(calledAs).fileName();
    if (name == QLatin1String("diskutil")) {
        return ToolSession(name, args).run(&Diskutil::run);
    }
    if (name == QLatin1String("asr")) {
        return ToolSession(name, args).run(&Asr::run);
    }
    if (name == QLatin1String("hdiutil")) {
        return ToolSession(name, args).run(&Hdiutil::run);
    }
    if (name == QLatin1String("zip") || name == QLatin1String("cp") || name == QLatin1String("chmod")) {
        return ToolSession(name, args).run(&HostToolWrapper::run);
    }
    if (name == QLatin1String("killall")) {
        return ToolSession(name, args).run(&HostToolWrapper::killall);
    }
    std::fprintf(stderr, "simtool: start it as diskutil, hdiutil, asr, zip, cp, chmod or killall\n");
    return 64;
}

}  // namespace simmac
