#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace platform {

// The one adapter between property lists (XML or binary, through libplist) and QVariant:
// dictionary <-> QVariantMap, array <-> QVariantList, string <-> QString, integer <-> qlonglong,
// real <-> double, bool <-> bool, date <-> QDateTime (UTC), data <-> QByteArray.
// Anything that is not a well-formed property list reads as nothing, never as a crash.
class PropertyList {
public:
    // Nesting deeper than this is refused before parsing: the parser and the conversion recurse.
    static constexpr int kMaxDepth = 256;

    static std::optional<QVariant> fromBytes(const QByteArray& bytes);
    // `macPath` goes through the path mapping; a missing or unreadable file yields nothing.
    static std::optional<QVariant> fromFile(const QString& macPath);
    static std::optional<QVariant> fromHostFile(const QString& hostPath);

    // A dictionary, or nothing when the content is missing, malformed or of another type.
    static std::optional<QVariantMap> dictionaryFromBytes(const QByteArray& bytes);
    static std::optional<QVariantMap> dictionaryFromFile(const QString& macPath);

    // XML form; dictionary keys come out in alphabetical order. Empty on an unsupported value type.
    static QByteArray toXml(const QVariant& value);
    // Written to a temporary file beside the target, then renamed over it.
    static bool writeXmlFile(const QString& macPath, const QVariant& value);
};

}  // namespace platform
