#pragma once

#include "simmac/state/Volume.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace simmac {

// One whole disk of the inventory: a physical disk, an APFS container (a synthesized disk on a store
// partition) or an attached disk image.
struct Disk {
    static constexpr const char* kPhysical = "physical";
    static constexpr const char* kContainer = "apfsContainer";
    static constexpr const char* kImage = "image";

    // The whole-disk node: identifier, content, size and "Extra" of the disk, and the file-system facts of
    // a disk formatted without a partition scheme.
    Volume whole;
    QString kind = QString::fromLatin1(kPhysical);
    QString busProtocol;
    bool internal = false;
    bool ejectable = true;
    bool removable = false;
    bool solidState = false;
    bool writableMedia = true;
    QString virtualOrPhysical = QStringLiteral("Physical");
    QString mediaName;
    QString ioRegistryEntryName;
    std::optional<bool> raidMaster;
    std::optional<bool> coreStorageEncrypted;
    QList<Volume> partitions;   // physical disks and images
    QList<Volume> apfsVolumes;  // containers; a snapshot follows the volume it was taken of
    QString physicalStore;      // containers: the partition that holds them
    QString imagePath;          // images: the image file (Mac path)
    QString imageUuid;

    const QString& id() const { return whole.id; }
    bool isContainer() const { return kind == QLatin1String(kContainer); }
    bool isImage() const { return kind == QLatin1String(kImage); }

    QList<Volume>& children() { return isContainer() ? apfsVolumes : partitions; }
    const QList<Volume>& children() const { return isContainer() ? apfsVolumes : partitions; }
    Volume* child(const QString& id);
    // The identifier a new slice gets: "<disk>s<n>" with n one above the highest in use.
    QString nextChildId() const;
    // Gives the disk a new identifier and renames its nodes to match ("disk4s2" -> "disk7s2").
    void renumber(const QString& newId);

    QVariantMap toMap() const;
    static Disk fromMap(const QVariantMap& map);
};

}  // namespace simmac
