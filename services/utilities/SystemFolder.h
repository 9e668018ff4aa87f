#pragma once

#include <QString>

// The paths that count as system files, from the bundle's "SystemFile.plist" (reread at every call).
class SystemFolder {
public:
    static bool isSystemFileWithFilePath(const QString& path);
};
