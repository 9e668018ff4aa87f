#include "simmac/tools/SimConfig.h"

#include "simmac/state/FileLock.h"
#include "simmac/state/SimPaths.h"

#include "platform/PropertyList.h"

namespace simmac {

SimConfig SimConfig::load() {
    const QVariantMap map =
        platform::PropertyList::dictionaryFromFile(SimPaths::config()).value_or(QVariantMap());
    SimConfig c;
    const auto delay = [&map](const char* key, std::chrono::milliseconds fallback) {
        return std::chrono::milliseconds(
            map.value(QLatin1String(key), qlonglong(fallback.count())).toLongLong());
    };
    c.lineDelay = delay("LineDelayMs", c.lineDelay);
    c.eraseDelay = delay("EraseDelayMs", c.eraseDelay);
    c.asrStepDelay = delay("AsrStepDelayMs", c.asrStepDelay);
    c.verifyExtraLines = map.value(QStringLiteral("VerifyExtraLines"), c.verifyExtraLines).toInt();
    c.computeUsageFromFiles =
        map.value(QStringLiteral("ComputeUsageFromFiles"), c.computeUsageFromFiles).toBool();
    return c;
}

bool SimConfig::set(const QString& key, const QVariant& value) {
    const FileLock lock(FileLock::Mode::Exclusive);
    QVariantMap map = platform::PropertyList::dictionaryFromFile(SimPaths::config()).value_or(QVariantMap());
    map.insert(key, value);
    return lock.held() && platform::PropertyList::writeXmlFile(SimPaths::config(), map);
}

}  // namespace simmac
