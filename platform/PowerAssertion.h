#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace platform {

// Stand-in for IOKit's power-management assertions. An assertion is recorded for the life of the process
// (no display is kept awake on the Linux side) and each creation and release leaves a log line.
using IOPMAssertionID = std::uint32_t;
using IOPMAssertionLevel = std::uint32_t;
using IOReturn = std::int32_t;

constexpr IOReturn kIOReturnSuccess = 0;
constexpr IOReturn kIOReturnBadArgument = static_cast<IOReturn>(0xe00002c2);
constexpr IOPMAssertionLevel kIOPMAssertionLevelOff = 0;
constexpr IOPMAssertionLevel kIOPMAssertionLevelOn = 255;
inline const QString kIOPMAssertionTypePreventUserIdleDisplaySleep =
    QStringLiteral("PreventUserIdleDisplaySleep");

struct PowerAssertion {
    IOPMAssertionID id = 0;
    QString type;
    QString name;
    IOPMAssertionLevel level = kIOPMAssertionLevelOn;
};

// Fails with kIOReturnBadArgument for an empty type, a level other than on or off, or no place for the
// identifier. An assertion created at level off is valid but holds nothing.
IOReturn IOPMAssertionCreateWithName(const QString& type, IOPMAssertionLevel level, const QString& name,
                                     IOPMAssertionID* id);
// kIOReturnBadArgument for an identifier this process does not hold.
IOReturn IOPMAssertionRelease(IOPMAssertionID id);
// The assertions the process holds at level on, oldest first.
QList<PowerAssertion> heldPowerAssertions();

}  // namespace platform
