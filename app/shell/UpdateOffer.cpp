#include "app/shell/UpdateOffer.h"

#include <algorithm>

namespace shell {

namespace {

std::optional<qint64> featureNumber(const QString& key) {
    bool ok = false;
    const qint64 number = key.toLongLong(&ok);
    if (!ok || number <= 0 || QString::number(number) != key) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

std::optional<UpdateOffer> updateOffer(const QVariant& localVersionCheck, const QVariantMap& description) {
    const qint64 remote = description.value(QStringLiteral("VersionCheck")).toLongLong();
    if (localVersionCheck.toLongLong() >= remote) {
        return std::nullopt;
    }
    UpdateOffer offer{description.value(QStringLiteral("Version")).toString(), {}};
    for (auto entry = description.cbegin(); entry != description.cend(); ++entry) {
        if (const auto number = featureNumber(entry.key())) {
            offer.features.append({*number, entry.value().toString()});
        }
    }
    std::ranges::sort(offer.features, {}, &FeatureLine::number);
    if (offer.features.size() > kFeatureLineLimit) {
        offer.features.resize(kFeatureLineLimit);
    }
    return offer;
}

}  // namespace shell
