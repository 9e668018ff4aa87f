#include "simmac/tools/FaultList.h"

#include "simmac/state/FileLock.h"
#include "simmac/state/SimPaths.h"

#include "platform/PropertyList.h"

namespace simmac {
namespace {

QVariantList readRules() {
    const auto value = platform::PropertyList::fromFile(SimPaths::faults());
    return value ? value->toList() : QVariantList();
}

}  // namespace

std::optional<FaultRule> FaultList::take(const QString& tool, const QString& verb, const QStringList& argv) {
    QVariantList rules = readRules();
    for (qsizetype i = 0; i < rules.size(); ++i) {
        QVariantMap map = rules.at(i).toMap();
        const FaultRule rule(map);
        const int times = rule.number("Times", -1);
        if (times == 0 || !rule.matches(tool, verb, argv)) {
            continue;
        }
        if (times > 0) {
            if (times == 1) {
                rules.removeAt(i);
            } else {
                map.insert(QStringLiteral("Times"), times - 1);
                rules[i] = map;
            }
            platform::PropertyList::writeXmlFile(SimPaths::faults(), rules);
        }
        return rule;
    }
    return std::nullopt;
}

bool FaultList::append(const QVariantMap& rule) {
    const FileLock lock(FileLock::Mode::Exclusive);
    QVariantList rules = readRules();
    rules.append(rule);
    return lock.held() && platform::PropertyList::writeXmlFile(SimPaths::faults(), rules);
}

}  // namespace simmac
