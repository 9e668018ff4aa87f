#pragma once

#include <QString>

#include <optional>

namespace simmac {

// Mac paths checked against the sim root once links are followed, so that a link inside the simulated Mac
// cannot lead a tool to files of the host.
class SandboxPath {
public:
    // The Mac path with every link followed; nothing when it does not exist or ends up outside the root.
    static std::optional<QString> canonical(const QString& macPath);
    // The nearest existing file or folder at or above the (clean) path lies inside the root once links are
    // followed; a dangling link counts as outside.
    static bool staysInside(const QString& cleanMacPath);
};

}  // namespace simmac
