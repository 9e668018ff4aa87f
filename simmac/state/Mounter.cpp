#include "simmac/state/Mounter.h"

#include "simmac/state/SimPaths.h"

#include "platform/FileSystem.h"

namespace simmac {
namespace {

using platform::FileSystem;

constexpr int kMaxNameBytes = 255;

bool taken(const QString& macPath) {
    return FileSystem::exists(macPath) || FileSystem::isSymLink(macPath);
}

QString parentOf(const QString& macPath) {
    const qsizetype slash = macPath.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : macPath.left(slash);
}

}  // namespace

bool Mounter::mount(Volume& volume, const QString& mountPoint) {
    if (volume.isMounted()) {
        return true;
    }
    // A wanted mount point that something else took meanwhile is never replaced.
    const QString target =
        mountPoint.isEmpty() || taken(mountPoint) ? freeMountPoint(volume.name) : mountPoint;
    const QString store = SimPaths::store(volume.uuid);
    FileSystem::mkpath(store);
    FileSystem::mkpath(parentOf(target));
    if (!FileSystem::rename(store, target)) {
        return false;
    }
    volume.mountPoint = target;
    tx_.record(QStringLiteral("didMount"), volume.id, target, volume.name);
    return true;
}

void Mounter::unmount(Volume& volume) {
    if (!volume.isMounted() || volume.mountPoint == QLatin1String("/")) {
        return;  // the root folder is the sim root itself and never moves
    }
    const QString store = SimPaths::store(volume.uuid);
    tx_.discard(store);  // a stale folder would block the move
    FileSystem::mkpath(parentOf(store));
    FileSystem::rename(volume.mountPoint, store);
    tx_.record(QStringLiteral("didUnmount"), volume.id, volume.mountPoint, volume.name);
    volume.mountPoint.clear();
}

void Mounter::rename(Volume& volume, const QString& newName) {
    const QString old = volume.mountPoint;
    volume.name = newName;
    const bool movable = old.startsWith(QLatin1String("/Volumes/"));
    if (movable && old != QStringLiteral("/Volumes/") + folderName(newName)) {
        const QString target = freeMountPoint(newName);
        if (FileSystem::rename(old, target)) {
            volume.mountPoint = target;
        }
    }
    tx_.record(QStringLiteral("didRename"), volume.id, volume.mountPoint, newName, old);
}

QString Mounter::freeMountPoint(const QString& volumeName) {
    QString candidate = QStringLiteral("/Volumes/") + folderName(volumeName);
    for (int n = 1; taken(candidate); ++n) {
        const QString suffix = QLatin1Char(' ') + QString::number(n);
        candidate =
            QStringLiteral("/Volumes/") + folderName(volumeName, static_cast<int>(suffix.size())) + suffix;
    }
    return candidate;
}

QString Mounter::folderName(const QString& volumeName, int reservedBytes) {
    QString name = volumeName;
    name.replace(QLatin1Char('/'), QLatin1Char(':'));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        name = QStringLiteral("Untitled");
    }
    while (name.toUtf8().size() > kMaxNameBytes - reservedBytes) {
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    }
    return name;
}

}  // namespace simmac
