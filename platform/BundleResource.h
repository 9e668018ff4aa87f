#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace platform {

// Property lists among the bundle's resources ("PrivateData", "SystemFile"), read anew at every call.
class BundleResource {
public:
    // "<name>.plist" as a dictionary; nothing when it is missing or not a dictionary.
    static std::optional<QVariantMap> dictionary(const QString& name);
    // Replaces an existing "<name>.plist" atomically: readers see the old or the new file, whole.
    // False when there is no such resource or it cannot be written.
    static bool writeDictionary(const QString& name, const QVariantMap& value);
};

}  // namespace platform
