#include "ui-kit/windows/TCWindowButtonGroup.h"

#include "platform/NotificationCenter.h"

#include <algorithm>
#include <map>
#include <memory>

namespace {

// Made on first use and never destroyed, like the groups it holds.
std::map<QString, std::unique_ptr<TCWindowButtonGroup>>& registry() {
    static auto* groups = new std::map<QString, std::unique_ptr<TCWindowButtonGroup>>;
    return *groups;
}

}  // namespace

TCWindowButtonGroup* TCWindowButtonGroup::groupWithIdentifier(const QString& identifier) {
    const QString key = identifier.isNull() ? QString::fromLatin1(kDefaultIdentifier) : identifier;
    std::unique_ptr<TCWindowButtonGroup>& group = registry()[key];
    if (!group) {
        group = std::make_unique<TCWindowButtonGroup>(key);
    }
    return group.get();
}

TCWindowButtonGroup::TCWindowButtonGroup(const QString& identifier) : identifier_(identifier) {}

void TCWindowButtonGroup::setNumberOfCaptures(qint64 count) {
    if (count < 0 || count == numberOfCaptures_) {
        return;
    }
    numberOfCaptures_ = count;
    platform::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(kDidUpdateRolloverStateNotification),
        {{QString::fromLatin1(kGroupIdentifierKey), identifier_}});
}

// Every change goes through the setter, so that each button of the group hears of it and the count stays
// at zero or above however the enters and exits interleave.
void TCWindowButtonGroup::didCaptureMousePointer() {
    setNumberOfCaptures(numberOfCaptures_ + 1);
}

void TCWindowButtonGroup::didReleaseMousePointer() {
    setNumberOfCaptures(std::max<qint64>(0, numberOfCaptures_ - 1));
}

void TCWindowButtonGroup::resetMouseCaptures() {
    setNumberOfCaptures(0);
}
