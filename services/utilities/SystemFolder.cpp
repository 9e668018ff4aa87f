#include "services/utilities/SystemFolder.h"

#include "platform/BundleResource.h"

bool SystemFolder::isSystemFileWithFilePath(const QString& path) {
    const auto entries = platform::BundleResource::dictionary(QStringLiteral("SystemFile"));
    if (!entries) {
        return false;
    }
    for (qsizetype j = 0; j < entries->size(); ++j) {
        const auto entry = entries->constFind(QString::number(j));
        if (entry != entries->constEnd() && entry->toString() == path) {
            return true;
        }
    }
    return false;
}
