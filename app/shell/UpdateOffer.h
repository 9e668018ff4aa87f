#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace shell {

// One line of a release's new features, under the number its key gives it.
struct FeatureLine {
    qint64 number = 0;
    QString text;

    bool operator==(const FeatureLine&) const = default;
};

// What the update window offers: the newer release's version text and its feature lines in numeric order.
struct UpdateOffer {
    QString version;
    QList<FeatureLine> features;
};

// The window shows at most this many feature lines, the lowest numbers: each is a view of its own.
inline constexpr qsizetype kFeatureLineLimit = 100;

// The offer when the release description's "VersionCheck" is greater than the bundle's own (each read as an
// integer, 0 when missing); nothing otherwise, also for an empty description. Only keys that are positive
// whole numbers written plainly ("1", "2", … "12"; no sign, no leading zero) are feature lines: a missing
// number leaves no empty line and any other key is not shown.
std::optional<UpdateOffer> updateOffer(const QVariant& localVersionCheck, const QVariantMap& description);

}  // namespace shell
