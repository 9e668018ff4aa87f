#pragma once

#include <QString>

#include <optional>

namespace platform {

// Every path in the program is a Mac path. With TAVRUN_SIM_ROOT set, "/" is that folder; without it the
// mapping is the identity and the program works on the real machine. The root is taken in its canonical
// form, whatever links, "." or ".." the variable holds.
QString simRoot();
bool hasSimRoot();

// `<root>` + the cleaned Mac path. Refuses (nothing) a relative path or one that leaves the root by "..".
std::optional<QString> hostPath(const QString& macPath);
// The inverse: nothing for a host path outside the root.
std::optional<QString> macPath(const QString& hostPath);

// The user's home as a Mac path. On a simulated Mac: "/var/root" for root (the program runs as root on a
// Mac), else "/Users/<name>"; without one, the host's home.
QString homeFolder();

// "/a/./b//c/../d/" -> "/a/b/d"; nothing when ".." would climb above "/" or the path is not absolute.
std::optional<QString> cleanMacPath(const QString& path);

}  // namespace platform
