#pragma once

#include "simmac/tools/FaultRule.h"

#include <optional>

namespace simmac {

// The fault rules of ".sim/faults.plist", reread at every tool start so a test may rewrite them mid-run.
class FaultList {
public:
    // The first rule matching the call. A rule with "Times" is used up one at a time (-1: never) and dropped
    // when it reaches 0. The caller holds the exclusive lock.
    static std::optional<FaultRule> take(const QString& tool, const QString& verb, const QStringList& argv);
    // Appends a rule (takes the lock itself).
    static bool append(const QVariantMap& rule);
};

}  // namespace simmac
