#include "simmac/state/SystemVersion.h"

#include "simmac/state/SimPaths.h"

#include "platform/PropertyList.h"

namespace simmac {

QString SystemVersion::productVersion() {
    const auto map = platform::PropertyList::dictionaryFromFile(SimPaths::systemVersion());
    return map ? map->value(QStringLiteral("ProductVersion")).toString() : QString();
}

int SystemVersion::major() {
    return productVersion().section(QLatin1Char('.'), 0, 0).toInt();
}

}  // namespace simmac
