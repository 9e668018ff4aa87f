#include "services/SystemFolder.h"

#include "platform/Bundle.h"
#include "platform/PropertyList.h"

bool SystemFolder::isSystemFileWithFilePath(const QString& path) {
    const QString file =
        platform::Bundle::pathForResource(QStringLiteral("SystemFile"), QStringLiteral("plist"));
    const auto table = file.isEmpty() ? std::nullopt : platform::PropertyList::fromHostFile(file);
    if (!table || table->typeId() != QMetaType::QVariantMap) {
        return false;
    }
    const QVariantMap entries = table->toMap();
    for (qsizetype j = 0; j < entries.size(); ++j) {
        if (entries.value(QString::number(j)).toString() == path) {
            return true;
        }
    }
    return false;
}
