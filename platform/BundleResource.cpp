#include "platform/BundleResource.h"

#include "platform/Bundle.h"
#include "platform/LogCategories.h"
#include "platform/PropertyList.h"

#include <QSaveFile>

namespace platform {
namespace {

const QString kPlist = QStringLiteral("plist");

}  // namespace

std::optional<QVariantMap> BundleResource::dictionary(const QString& name) {
    const QString path = Bundle::pathForResource(name, kPlist);
    const auto value = path.isEmpty() ? std::nullopt : PropertyList::fromHostFile(path);
    if (!value || value->typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    return value->toMap();
}

bool BundleResource::writeDictionary(const QString& name, const QVariantMap& value) {
    const QString path = Bundle::pathForResource(name, kPlist);
    const QByteArray xml = PropertyList::toXml(value);
    if (path.isEmpty() || xml.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit()) {
        qCWarning(lcPlatform) << "cannot write" << path << file.errorString();
        return false;
    }
    return true;
}

}  // namespace platform
