#include "platform/MacPath.h"

#include <QDir>
#include <QStringList>

#include <cerrno>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace platform {

QString simRoot() {
    QString root = qEnvironmentVariable("TAVRUN_SIM_ROOT");
    if (root.isEmpty()) {
        return root;
    }
    if (!root.startsWith(u'/')) {
        root = QDir::current().absoluteFilePath(root);
    }
    while (root.size() > 1 && root.endsWith(u'/')) {
        root.chop(1);
    }
    return root;
}

bool hasSimRoot() {
    return !simRoot().isEmpty();
}

std::optional<QString> cleanMacPath(const QString& path) {
    if (!path.startsWith(u'/')) {
        return std::nullopt;
    }
    QStringList parts;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".") {
            continue;
        }
        if (part == u"..") {
            if (parts.isEmpty()) {
                return std::nullopt;
            }
            parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return QStringLiteral("/") + parts.join(u'/');
}

std::optional<QString> hostPath(const QString& macPath) {
    const QString root = simRoot();
    if (root.isEmpty()) {
        return macPath;
    }
    const auto clean = cleanMacPath(macPath);
    if (!clean) {
        return std::nullopt;
    }
    return *clean == u"/" ? root : root + *clean;
}

std::optional<QString> macPath(const QString& hostPath) {
    const QString root = simRoot();
    if (root.isEmpty()) {
        return hostPath;
    }
    const auto clean = cleanMacPath(hostPath);
    if (!clean) {
        return std::nullopt;
    }
    if (*clean == root) {
        return QStringLiteral("/");
    }
    if (root == u"/") {
        return clean;
    }
    if (clean->startsWith(root + u'/')) {
        return clean->mid(root.size());
    }
    return std::nullopt;
}

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

}  // namespace

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

}  // namespace platform
