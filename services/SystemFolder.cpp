#include "services/SystemFolder.h"

#include "platform/BundleResource.h"

bool SystemFolder::isSystemFileWithFilePath(const QString& path) {
    const auto entries = platform::BundleResource::dictionary(QStringLiteral("SystemFile"));
    if (!entries) {
        return false;
    }
    for (qsizetype j = 0; j < entries->size(); ++j) {
        if (entries->value(QString::number(j)).toString() == path) {
            return true;
        }
    }
    return false;
}
