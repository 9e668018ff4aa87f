#include "platform/SystemInfo.h"

#include "platform/PropertyList.h"
#include "platform/SimInventory.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace platform {
namespace {

std::optional<std::array<qint32, 3>> productVersion() {
    const auto plist =
        PropertyList::dictionaryFromFile(QStringLiteral("/System/Library/CoreServices/SystemVersion.plist"));
    if (!plist) {
        return std::nullopt;
    }
    const QStringList parts = plist->value(QStringLiteral("ProductVersion")).toString().split(u'.');
    if (parts.size() > 3) {
        return std::nullopt;
    }
    std::array<qint32, 3> version{0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        version[static_cast<size_t>(i)] = parts[i].toInt(&ok);
        if (!ok || version[static_cast<size_t>(i)] < 0) {
            return std::nullopt;
        }
    }
    return version;
}

}  // namespace

int Gestalt(OSType selector, qint32* response) {
    const auto version = productVersion();
    if (!version) {
        return gestaltUnknownErr;
    }
    const auto [major, minor, bugFix] = *version;
    switch (selector) {
        case gestaltSystemVersion: {
            const qint32 m = std::min(major, 99);
            *response = ((m / 10) << 12) | ((m % 10) << 8) | (std::min(minor, 9) << 4) | std::min(bugFix, 9);
            return 0;
        }
        case gestaltSystemVersionMajor:
            *response = major;
            return 0;
        case gestaltSystemVersionMinor:
            *response = minor;
            return 0;
        case gestaltSystemVersionBugFix:
            *response = bugFix;
            return 0;
        default:
            return gestaltUndefSelectorErr;
    }
}

std::optional<QString> sysctlString(const QString& name) {
    const auto machine = SimInventory::machine();
    if (!machine || !machine->contains(name)) {
        return std::nullopt;
    }
    return machine->value(name).toString();
}

}  // namespace platform
