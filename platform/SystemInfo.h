#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace platform {

// Core Services' Gestalt for the system version, answered from the Mac's
// "/System/Library/CoreServices/SystemVersion.plist" ("ProductVersion", e.g. "13.4").
using OSType = quint32;
constexpr OSType gestaltSystemVersion = 0x73797376;       // 'sysv': BCD 0x10MB, minor and bug fix capped at 9
constexpr OSType gestaltSystemVersionMajor = 0x73797331;  // 'sys1'
constexpr OSType gestaltSystemVersionMinor = 0x73797332;  // 'sys2'
constexpr OSType gestaltSystemVersionBugFix = 0x73797333;  // 'sys3'
constexpr int gestaltUnknownErr = -5550;
constexpr int gestaltUndefSelectorErr = -5551;

// 0 (noErr) with the answer in `response`, or an error code with `response` untouched.
int Gestalt(OSType selector, qint32* response);

// sysctlbyname for a text value ("machdep.cpu.brand_string"), from the simulated Mac's machine facts.
std::optional<QString> sysctlString(const QString& name);

}  // namespace platform
