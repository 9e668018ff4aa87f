#include "platform/FileManager.h"

#include "platform/MacPath.h"
#include "platform/SimInventory.h"

#include <QStorageInfo>

namespace platform {
namespace {

QStringList mountedRoots() {
    QStringList roots{QStringLiteral("/")};
    if (!hasSimRoot()) {
        for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
            if (!volume.isRoot()) {
                roots.append(volume.rootPath());
            }
        }
        return roots;
    }
    const auto state = SimInventory::state();
    if (!state) {
        return {};
    }
    roots.clear();
    for (const QVariantMap& volume : SimInventory::mountedVolumes(*state)) {
        roots.append(volume.value(QStringLiteral("MountPoint")).toString());
    }
    return roots;
}

}  // namespace

std::optional<QString> FileManager::volumeRootForIndex(int index) {
    if (index < 1) {
        return std::nullopt;
    }
    const QStringList roots = mountedRoots();
    if (index > roots.size()) {
        return std::nullopt;
    }
    return roots.at(index - 1);
}

}  // namespace platform
