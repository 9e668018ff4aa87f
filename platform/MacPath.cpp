#include "platform/MacPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <mutex>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

// The root as TAVRUN_SIM_ROOT writes it, made absolute and clean, and its canonical form: links, "." and
// ".." resolved once, so that a path the system hands back (a canonical one) maps back into the Mac.
struct Roots {
    QString spelled;
    QString canonical;
};

Roots roots() {
    const QString variable = qEnvironmentVariable("TAVRUN_SIM_ROOT");
    if (variable.isEmpty()) {
        return {};
    }
    const QString spelled = QDir::cleanPath(QDir::current().absoluteFilePath(variable));
    struct Cache {
        std::mutex mutex;
        Roots roots;
    };
    static Cache* cache = new Cache;  // never destroyed: paths are mapped while the process ends
    std::lock_guard guard(cache->mutex);
    if (cache->roots.spelled != spelled) {
        const QString canonical = QFileInfo(spelled).canonicalFilePath();
        if (canonical.isEmpty()) {
            return {spelled, spelled};  // not made yet: looked at again next time
        }
        cache->roots = {spelled, canonical};
    }
    return cache->roots;
}

std::optional<QString> below(const QString& root, const QString& path) {
    if (path == root) {
        return QStringLiteral("/");
    }
    if (root == u"/") {
        return path;
    }
    if (path.startsWith(root + u'/')) {
        return path.mid(root.size());
    }
    return std::nullopt;
}

}  // namespace

QString simRoot() {
    return roots().canonical;
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
    const Roots root = roots();
    if (root.canonical.isEmpty()) {
        return hostPath;
    }
    const auto clean = cleanMacPath(hostPath);
    if (!clean) {
        return std::nullopt;
    }
    // A path written through the variable's own spelling (a link to the Mac) maps as well.
    auto mac = below(root.canonical, *clean);
    return mac ? mac : below(root.spelled, *clean);
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
