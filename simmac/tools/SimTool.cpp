#include "simmac/tools/SimTool.h"

#include "simmac/diskutil/Diskutil.h"
#include "simmac/tools/ToolSession.h"

#include <QFileInfo>

#include <cstdio>

namespace simmac {

int SimTool::run(const QString& calledAs, const QStringList& args) {
    const QString name = QFileInfo(calledAs).fileName();
    if (name == QLatin1String("diskutil")) {
        return ToolSession(name, args).run(&Diskutil::run);
    }
    std::fprintf(stderr, "simtool: start it as diskutil, hdiutil, asr, zip, cp, chmod or killall\n");
    return 64;
}

}  // namespace simmac
