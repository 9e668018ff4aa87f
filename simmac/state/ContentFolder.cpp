#include "simmac/state/ContentFolder.h"

#include "simmac/state/SimPaths.h"

#include "platform/FileSystem.h"

#include <utility>

namespace simmac {
namespace {

using platform::FileKind;
using platform::FileSystem;

QString join(const QString& folder, const QString& name) {
    return folder == QLatin1String("/") ? QLatin1Char('/') + name : folder + QLatin1Char('/') + name;
}

QString folderOf(const Volume& v) {
    return v.isMounted() ? v.mountPoint : SimPaths::store(v.uuid);
}

}  // namespace

ContentFolder::ContentFolder(QString macFolder, QSet<QString> skipped)
    : folder_(std::move(macFolder)), skipped_(std::move(skipped)) {}

ContentFolder ContentFolder::of(const SimState& state, const Volume& volume) {
    const QString folder = folderOf(volume);
    if (folder != QLatin1String("/")) {
        return ContentFolder(folder, {});
    }
    QSet<QString> skipped{QStringLiteral("/Volumes"), QStringLiteral("/.sim"), QStringLiteral("/tmp")};
    for (const QString& id : state.nodeIds()) {
        const QString mountPoint = state.node(id).volume->mountPoint;
        if (!mountPoint.isEmpty() && mountPoint != QLatin1String("/")) {
            skipped.insert(mountPoint);
        }
    }
    return ContentFolder(folder, skipped);
}

bool ContentFolder::isSkipped(const QString& macPath) const {
    if (skipped_.contains(macPath)) {
        return true;
    }
    return folder_ == QLatin1String("/") && macPath.startsWith(QLatin1String("/System/Volumes/"));
}

bool ContentFolder::holdsSkipped(const QString& macPath) const {
    if (folder_ == QLatin1String("/") && macPath == QLatin1String("/System/Volumes")) {
        return true;
    }
    const QString prefix = macPath + QLatin1Char('/');
    return std::any_of(skipped_.begin(), skipped_.end(),
                       [&](const QString& s) { return s.startsWith(prefix); });
}

qint64 ContentFolder::fileBytes() const {
    qint64 total = 0;
    QStringList pending{folder_};
    while (!pending.isEmpty()) {
        const QString folder = pending.takeLast();
        for (const platform::DirEntry& entry :
             FileSystem::list(folder).value_or(std::vector<platform::DirEntry>())) {
            const QString path = join(folder, entry.name);
            if (isSkipped(path)) {
                continue;
            }
            if (entry.kind == FileKind::Directory) {
                pending.append(path);
            } else if (entry.kind == FileKind::File) {
                total += entry.size;
            }
        }
    }
    return total;
}

QStringList ContentFolder::copyUnits() const {
    QStringList units;
    QStringList pending{QString()};
    while (!pending.isEmpty()) {
        const QString relative = pending.takeFirst();
        const QString folder = relative.isEmpty() ? folder_ : join(folder_, relative);
        for (const platform::DirEntry& entry :
             FileSystem::list(folder).value_or(std::vector<platform::DirEntry>())) {
            const QString path = join(folder, entry.name);
            const QString unit = relative.isEmpty() ? entry.name : relative + QLatin1Char('/') + entry.name;
            if (isSkipped(path)) {
                continue;
            }
            if (entry.kind == FileKind::Directory && holdsSkipped(path)) {
                units.append(unit + QLatin1Char('/'));
                pending.append(unit);
            } else {
                units.append(unit);
            }
        }
    }
    return units;
}

bool ContentFolder::copyUnit(const QString& unit, const QString& targetFolder) const {
    if (unit.endsWith(QLatin1Char('/'))) {
        return FileSystem::mkpath(join(targetFolder, unit.chopped(1)));
    }
    return FileSystem::copyItem(join(folder_, unit), join(targetFolder, unit));
}

}  // namespace simmac
