#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace simmac {

// A simulated disk image: a tar archive (written by the host's tar) whose first member
// ".simmac-image.plist" holds {"ImageUUID", "VolumeName", "Size", "FileSystem", "Format"} and whose other
// members are the volume's files. The file alone holds the content, so a copied image keeps it.
class ImageFile {
public:
    static QString metadataName() { return QStringLiteral(".simmac-image.plist"); }

    // Writes the image of a folder's content: first to a temporary name beside `imagePath`, then renamed
    // over it. All paths are Mac paths.
    static bool write(const QString& imagePath, const QVariantMap& metadata, const QString& contentFolder);
    // The metadata; nothing when the file is missing or not a simulated image.
    static std::optional<QVariantMap> metadata(const QString& imagePath);
    // Unpacks the files (not the metadata) into an existing folder.
    static bool unpack(const QString& imagePath, const QString& folder);
};

}  // namespace simmac
