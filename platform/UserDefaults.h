#pragma once

#include <QString>
#include <QVariant>

namespace platform {

// User defaults: one QSettings file per domain in the (simulated) user's "Library/Preferences". A key is
// looked up in the application's domain first, then in the global domain (where the system keeps
// "AppleLanguages").
class UserDefaults {
public:
    static inline const QString applicationDomain = QStringLiteral("com.Belmora.clone");
    static inline const QString globalDomain = QStringLiteral(".GlobalPreferences");

    static QVariant objectForKey(const QString& key);
    static void setObject(const QVariant& value, const QString& key,
                          const QString& domain = applicationDomain);
    // Host path of a domain's file.
    static QString domainFile(const QString& domain);
};

}  // namespace platform
