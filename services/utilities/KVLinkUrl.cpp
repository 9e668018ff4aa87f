#include "services/utilities/KVLinkUrl.h"

#include "platform/BundleResource.h"
#include "services/utilities/KVPublicUtilities.h"

std::optional<QString> KVLinkUrl::GetUrl(const QString& key) {
    const auto plist = platform::BundleResource::dictionary(QStringLiteral("PrivateData"));
    if (!plist) {
        return std::nullopt;
    }
    const QVariantMap english = plist->value(QStringLiteral("en")).toMap();
    const QVariantMap current = plist->value(KVPublicUtilities::GetCurrentLanaguage()).toMap();
    const QString local = current.value(key).toString();
    if (!local.isEmpty()) {
        return local;
    }
    if (!english.contains(key)) {
        return std::nullopt;
    }
    return english.value(key).toString();
}
