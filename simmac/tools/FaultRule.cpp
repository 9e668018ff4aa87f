#include "simmac/tools/FaultRule.h"

namespace simmac {

bool FaultRule::matches(const QString& tool, const QString& verb, const QStringList& argv) const {
    const QString wantedTool = text("Tool");
    const QString wantedVerb = text("Verb");
    const QString contained = text("ArgsContain");
    return (wantedTool.isEmpty() || wantedTool == tool) &&
           (wantedVerb.isEmpty() || wantedVerb.compare(verb, Qt::CaseInsensitive) == 0) &&
           (contained.isEmpty() || argv.join(QLatin1Char(' ')).contains(contained));
}

int FaultRule::number(const char* key, int fallback) const {
    bool ok = false;
    const int value = rule_.value(QLatin1String(key)).toInt(&ok);
    return ok ? value : fallback;
}

}  // namespace simmac
