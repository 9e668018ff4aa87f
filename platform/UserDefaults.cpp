#include "platform/UserDefaults.h"

#include "platform/MacPath.h"

#include <QDir>
#include <QSettings>

#include <cerrno>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace platform {
namespace {

QString userName(uid_t uid) {
    std::vector<char> buffer(1024);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    return found != nullptr ? QString::fromLocal8Bit(found->pw_name) : QString::number(uid);
}

// The user's home as a Mac path: the program runs as root on a Mac, whose home is "/var/root".
QString homeFolder() {
    if (!hasSimRoot()) {
        return QDir::homePath();
    }
    const uid_t uid = ::geteuid();
    if (uid == 0) {
        return QStringLiteral("/var/root");
    }
    return QStringLiteral("/Users/") + userName(uid);
}

}  // namespace

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
