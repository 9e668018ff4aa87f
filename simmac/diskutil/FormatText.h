#pragma once

#include <QString>

namespace simmac {

// The line the file-system formatter prints when it has made a new, empty file system.
class FormatText {
public:
    static QString initialized(const QString& nodeId, const QString& fileSystem, qint64 size);
};

}  // namespace simmac
