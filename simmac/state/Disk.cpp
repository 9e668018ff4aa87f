#include "simmac/state/Disk.h"

#include <QRegularExpression>

#include <algorithm>

namespace simmac {
namespace {

QVariantList volumesToList(const QList<Volume>& volumes) {
    QVariantList list;
    for (const Volume& v : volumes) {
        list.append(v.toMap());
    }
    return list;
}

QList<Volume> volumesFromList(const QVariant& value) {
    QList<Volume> volumes;
    for (const QVariant& item : value.toList()) {
        volumes.append(Volume::fromMap(item.toMap()));
    }
    return volumes;
}

// Keys of the whole-disk node that only mean something when the disk carries a file system itself.
const QStringList& fileSystemKeys() {
    static const QStringList keys{QStringLiteral("FileSystem"), QStringLiteral("VolumeName"),
                                  QStringLiteral("VolumeUUID"), QStringLiteral("MountPoint"),
                                  QStringLiteral("Role"),       QStringLiteral("UsedBytes")};
    return keys;
}

}  // namespace

Volume* Disk::child(const QString& id) {
    for (Volume& v : children()) {
        if (v.id == id) {
            return &v;
        }
    }
    return nullptr;
}

QString Disk::nextChildId() const {
    static const QRegularExpression slice(QStringLiteral("^disk\\d+s(\\d+)$"));
    int highest = 0;
    for (const Volume& v : children()) {
        const auto match = slice.match(v.id);
        if (match.hasMatch()) {
            highest = std::max(highest, match.captured(1).toInt());
        }
    }
    return id() + QLatin1Char('s') + QString::number(highest + 1);
}

void Disk::renumber(const QString& newId) {
    const QString old = id();
    const auto rename = [&](QString& nodeId) {
        if (nodeId == old || nodeId.startsWith(old + QLatin1Char('s'))) {
            nodeId = newId + nodeId.mid(old.size());
        }
    };
    rename(whole.id);
    for (Volume& v : children()) {
        rename(v.id);
        rename(v.snapshotOf);
    }
}

QVariantMap Disk::toMap() const {
    QVariantMap map = whole.toMap();
    if (!whole.hasFileSystem()) {
        for (const QString& key : fileSystemKeys()) {
            map.remove(key);
        }
    }
    map.insert(QStringLiteral("Kind"), kind);
    map.insert(QStringLiteral("BusProtocol"), busProtocol);
    map.insert(QStringLiteral("Internal"), internal);
    map.insert(QStringLiteral("Ejectable"), ejectable);
    map.insert(QStringLiteral("Removable"), removable);
    map.insert(QStringLiteral("SolidState"), solidState);
    map.insert(QStringLiteral("WritableMedia"), writableMedia);
    map.insert(QStringLiteral("VirtualOrPhysical"), virtualOrPhysical);
    map.insert(QStringLiteral("MediaName"), mediaName);
    map.insert(QStringLiteral("IORegistryEntryName"), ioRegistryEntryName);
    if (raidMaster) {
        map.insert(QStringLiteral("RAIDMaster"), *raidMaster);
    }
    if (coreStorageEncrypted) {
        map.insert(QStringLiteral("CoreStorageEncrypted"), *coreStorageEncrypted);
    }
    if (isContainer()) {
        map.insert(QStringLiteral("APFSVolumes"), volumesToList(apfsVolumes));
        map.insert(QStringLiteral("APFSPhysicalStore"), physicalStore);
    } else {
        map.insert(QStringLiteral("Partitions"), volumesToList(partitions));
    }
    if (isImage()) {
        map.insert(QStringLiteral("ImagePath"), imagePath);
        map.insert(QStringLiteral("ImageUUID"), imageUuid);
    }
    return map;
}

Disk Disk::fromMap(const QVariantMap& map) {
    Disk d;
    d.whole = Volume::fromMap(map);
    d.kind = map.value(QStringLiteral("Kind"), QString::fromLatin1(kPhysical)).toString();
    d.busProtocol = map.value(QStringLiteral("BusProtocol")).toString();
    d.internal = map.value(QStringLiteral("Internal")).toBool();
    d.ejectable = map.value(QStringLiteral("Ejectable")).toBool();
    d.removable = map.value(QStringLiteral("Removable")).toBool();
    d.solidState = map.value(QStringLiteral("SolidState")).toBool();
    d.writableMedia = map.value(QStringLiteral("WritableMedia"), true).toBool();
    d.virtualOrPhysical = map.value(QStringLiteral("VirtualOrPhysical")).toString();
    d.mediaName = map.value(QStringLiteral("MediaName")).toString();
    d.ioRegistryEntryName = map.value(QStringLiteral("IORegistryEntryName")).toString();
    if (map.contains(QStringLiteral("RAIDMaster"))) {
        d.raidMaster = map.value(QStringLiteral("RAIDMaster")).toBool();
    }
    if (map.contains(QStringLiteral("CoreStorageEncrypted"))) {
        d.coreStorageEncrypted = map.value(QStringLiteral("CoreStorageEncrypted")).toBool();
    }
    d.partitions = volumesFromList(map.value(QStringLiteral("Partitions")));
    d.apfsVolumes = volumesFromList(map.value(QStringLiteral("APFSVolumes")));
    d.physicalStore = map.value(QStringLiteral("APFSPhysicalStore")).toString();
    d.imagePath = map.value(QStringLiteral("ImagePath")).toString();
    d.imageUuid = map.value(QStringLiteral("ImageUUID")).toString();
    return d;
}

}  // namespace simmac
