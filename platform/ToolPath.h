#pragma once

#include <QString>

namespace platform {

// "/usr/sbin/diskutil" -> "<TAVRUN_TOOL_ROOT>/usr/sbin/diskutil" when that file exists, else the path
// itself. A bare name ("diskutil", "killall") is first made its macOS absolute path.
QString toolPath(const QString& tool);

// The macOS absolute path of a tool given by its bare name; a path is returned unchanged.
QString macToolPath(const QString& tool);

}  // namespace platform
