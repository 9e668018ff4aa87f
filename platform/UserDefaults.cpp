#include "platform/UserDefaults.h"

#include "platform/MacPath.h"

#include <QSettings>

namespace platform {

QString UserDefaults::domainFile(const QString& domain) {
    const QString path =
        homeFolder() + QStringLiteral("/Library/Preferences/") + domain + QStringLiteral(".ini");
    return hostPath(path).value_or(QString());
}

QVariant UserDefaults::objectForKey(const QString& key) {
    for (const QString& domain : {applicationDomain, globalDomain}) {
        const QString file = domainFile(domain);
        if (file.isEmpty()) {
            return {};
        }
        QSettings settings(file, QSettings::IniFormat);
        if (settings.contains(key)) {
            return settings.value(key);
        }
    }
    return {};
}

void UserDefaults::setObject(const QVariant& value, const QString& key, const QString& domain) {
    const QString file = domainFile(domain);
    if (file.isEmpty()) {
        return;
    }
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
}

}  // namespace platform
