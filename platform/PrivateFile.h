#pragma once

#include <QString>

#include <memory>

class QFile;

namespace platform {

// A file that only the process's user may read, at a fixed name in a folder others can write to ("/tmp"),
// opened for appending. Opening never blocks (a FIFO planted at the name is refused, not waited on) and
// never follows a link; anything but a regular file owned by the process's user is refused. A new file is
// made 0600, and one already there is narrowed to it.
std::unique_ptr<QFile> openPrivateFileForAppend(const QString& macPath);

}  // namespace platform
