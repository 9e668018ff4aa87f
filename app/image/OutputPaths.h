#pragma once

#include <QString>

// Where an image or archive job puts what it makes. Paths are Mac paths and never hold "//".
namespace image {

// The folder: the destination volume; for the root volume from macOS 10.15 on (its system part is
// read-only there) the Desktop of the user who started the product, made when it is missing.
QString outputFolder(const QString& volumePath, int systemVersion);
// "<folder>/<name>.zip".
QString archivePath(const QString& folder, const QString& name);
// "<folder>/<name>.dmg"; the image worker puts an image meant for "/" into its own folder there.
QString imagePath(const QString& folder, const QString& name);

}  // namespace image
