#include "app/sources/DestinationFolder.h"

#include "app/sources/OutputNames.h"

#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <QCoreApplication>

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

using platform::FileSystem;

namespace sources {

namespace {

QString accountName(uid_t uid) {
    std::vector<char> buffer(1024);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    return found != nullptr ? QString::fromLocal8Bit(found->pw_name) : QString();
}

constexpr int kLastWritableRootVersion = 1014;

// A user name that can stand in a path: no separator, not a dot name, not root.
bool isUserName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..") && name != QLatin1String("root");
}

}  // namespace

QString pathOnVolume(const QString& volumePath, const QString& name) {
    QString folder = volumePath;
    while (folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    return folder + QLatin1Char('/') + name;
}

QString startingUserName() {
    const QString real = accountName(::getuid());
    if (isUserName(real)) {
        return real;
    }
    const QString sudoUser = qEnvironmentVariable("SUDO_USER");
    if (isUserName(sudoUser)) {
        return sudoUser;
    }
    bool isNumber = false;
    const uint pkexecUid = qEnvironmentVariable("PKEXEC_UID").toUInt(&isNumber);
    const QString pkexecUser = isNumber ? accountName(static_cast<uid_t>(pkexecUid)) : QString();
    return isUserName(pkexecUser) ? pkexecUser : QString();
}

QString startingUserDesktop() {
    const QString user = startingUserName();
    const QString desktop = user.isEmpty() ? pathOnVolume(platform::homeFolder(), QStringLiteral("Desktop"))
                                           : QStringLiteral("/Users/%1/Desktop").arg(user);
    if (!FileSystem::isDirectory(desktop) && !FileSystem::mkpath(desktop)) {
        qCWarning(lcApp) << "could not make the Desktop folder" << desktop;
    }
    return desktop;
}

bool canWriteFolder(const QString& path) {
    if (!FileSystem::isDirectory(path)) {
        return false;
    }
    // A name of this process that nothing else uses, so that the probe never replaces a file of the user's.
    QString probe;
    for (int attempt = 0; probe.isEmpty() || FileSystem::info(probe).kind != platform::FileKind::Missing;
         ++attempt) {
        probe = pathOnVolume(
            path,
            QStringLiteral(".Tavrun-write-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(attempt));
    }
    const bool written = FileSystem::writeAtomically(probe, QByteArray());
    return FileSystem::remove(probe) && written;
}

namespace {

// A folder of its own under `folder`: the name, or a fresh variant of it when the name is taken.
QString newFolderIn(const QString& folder, const QString& name) {
    const QString path = pathOnVolume(
        folder, freshName(name, [&folder](const QString& n) { return pathOnVolume(folder, n); }));
    FileSystem::mkpath(path);
    return path;
}

}  // namespace

bool isReadOnlyRoot(const QString& volumePath, int systemVersion) {
    return volumePath == QLatin1String("/") && systemVersion > kLastWritableRootVersion;
}

OutputFolder makeOutputFolder(const QString& volumePath, const QString& name, int systemVersion) {
    if (!isReadOnlyRoot(volumePath, systemVersion)) {
        const QString onVolume = newFolderIn(volumePath, name);
        if (canWriteFolder(onVolume)) {
            return {onVolume, false};
        }
        qCInfo(lcApp) << onVolume << "cannot be written; using the Desktop";
    }
    return {newFolderIn(startingUserDesktop(), name), true};
}

}  // namespace sources
