#include "app/image/OutputPaths.h"

#include "app/sources/DestinationFolder.h"
#include "services/jobs/MakeDmg.h"

namespace image {

namespace {

bool isRoot(const QString& path) {
    return path == QLatin1String("/");
}

}  // namespace

QString outputFolder(const QString& volumePath, int systemVersion) {
    return sources::isReadOnlyRoot(volumePath, systemVersion) ? sources::startingUserDesktop() : volumePath;
}

QString archivePath(const QString& folder, const QString& name) {
    return sources::pathOnVolume(folder, name + QStringLiteral(".zip"));
}

QString imagePath(const QString& folder, const QString& name) {
    return sources::pathOnVolume(isRoot(folder) ? MakeDmg::kRootFolder : folder,
                                 name + QStringLiteral(".dmg"));
}

}  // namespace image
