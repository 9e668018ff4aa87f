#pragma once

#include <QString>

#include <optional>

// The link table of "PrivateData.plist": per language code a dictionary of link key -> address.
class KVLinkUrl {
public:
    // The address in the user's first language ("AppleLanguages"), else the "en" one; nothing when
    // neither has the key.
    static std::optional<QString> GetUrl(const QString& key);
};
