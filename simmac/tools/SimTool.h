#pragma once

#include <QString>
#include <QStringList>

namespace simmac {

// The multi-call tool: acts as diskutil, hdiutil, asr, zip, cp, chmod or killall by the name it was
// started under.
class SimTool {
public:
    static int run(const QString& calledAs, const QStringList& args);
};

}  // namespace simmac
