#include "platform/PowerAssertion.h"

#include "platform/LogCategories.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct Registry {
    std::mutex mutex;
    IOPMAssertionID lastId = 0;
    std::vector<PowerAssertion> assertions;
};

Registry& registry() {
    static auto* instance = new Registry;  // never destroyed
    return *instance;
}

}  // namespace

IOReturn IOPMAssertionCreateWithName(const QString& type, IOPMAssertionLevel level, const QString& name,
                                     IOPMAssertionID* id) {
    if (type.isEmpty() || id == nullptr ||
        (level != kIOPMAssertionLevelOn && level != kIOPMAssertionLevelOff)) {
        return kIOReturnBadArgument;
    }
    Registry& r = registry();
    std::lock_guard guard(r.mutex);
    *id = ++r.lastId;
    r.assertions.push_back({*id, type, name, level});
    qCInfo(lcPlatform).noquote() << QStringLiteral("power assertion %1 \"%2\" created (%3, level %4)")
                                        .arg(*id)
                                        .arg(name, type)
                                        .arg(level);
    return kIOReturnSuccess;
}

IOReturn IOPMAssertionRelease(IOPMAssertionID id) {
    Registry& r = registry();
    std::lock_guard guard(r.mutex);
    const auto found =
        std::find_if(r.assertions.begin(), r.assertions.end(), [id](const auto& a) { return a.id == id; });
    if (found == r.assertions.end()) {
        return kIOReturnBadArgument;
    }
    qCInfo(lcPlatform).noquote()
        << QStringLiteral("power assertion %1 \"%2\" released").arg(id).arg(found->name);
    r.assertions.erase(found);
    return kIOReturnSuccess;
}

QList<PowerAssertion> heldPowerAssertions() {
    Registry& r = registry();
    std::lock_guard guard(r.mutex);
    QList<PowerAssertion> held;
    std::copy_if(r.assertions.begin(), r.assertions.end(), std::back_inserter(held),
                 [](const auto& a) { return a.level == kIOPMAssertionLevelOn; });
    return held;
}

}  // namespace platform
