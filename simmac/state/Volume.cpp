#include "simmac/state/Volume.h"

namespace simmac {

QVariantMap Volume::toMap() const {
    QVariantMap map{
        {QStringLiteral("DeviceIdentifier"), id},
        {QStringLiteral("Content"), content},
        {QStringLiteral("Size"), size},
        {QStringLiteral("FileSystem"), fileSystem},
        {QStringLiteral("VolumeName"), name},
        {QStringLiteral("VolumeUUID"), uuid},
        {QStringLiteral("MountPoint"), mountPoint},
        {QStringLiteral("Role"), role},
        {QStringLiteral("UsedBytes"), usedBytes},
        {QStringLiteral("ReadOnly"), readOnly},
        {QStringLiteral("Damaged"), damaged},
        {QStringLiteral("Busy"), busy},
    };
    if (!diskUuid.isEmpty()) {
        map.insert(QStringLiteral("DiskUUID"), diskUuid);
    }
    if (isSnapshot()) {
        map.insert(QStringLiteral("SnapshotOf"), snapshotOf);
        map.insert(QStringLiteral("SnapshotName"), snapshotName);
    }
    if (!extra.isEmpty()) {
        map.insert(QStringLiteral("Extra"), extra);
    }
    return map;
}

Volume Volume::fromMap(const QVariantMap& map) {
    Volume v;
    v.id = map.value(QStringLiteral("DeviceIdentifier")).toString();
    v.content = map.value(QStringLiteral("Content")).toString();
    v.size = map.value(QStringLiteral("Size")).toLongLong();
    v.fileSystem = map.value(QStringLiteral("FileSystem")).toString();
    v.name = map.value(QStringLiteral("VolumeName")).toString();
    v.uuid = map.value(QStringLiteral("VolumeUUID")).toString();
    v.diskUuid = map.value(QStringLiteral("DiskUUID")).toString();
    v.mountPoint = map.value(QStringLiteral("MountPoint")).toString();
    v.role = map.value(QStringLiteral("Role")).toString();
    v.usedBytes = map.value(QStringLiteral("UsedBytes")).toLongLong();
    v.readOnly = map.value(QStringLiteral("ReadOnly")).toBool();
    v.damaged = map.value(QStringLiteral("Damaged")).toBool();
    v.busy = map.value(QStringLiteral("Busy")).toBool();
    v.snapshotOf = map.value(QStringLiteral("SnapshotOf")).toString();
    v.snapshotName = map.value(QStringLiteral("SnapshotName")).toString();
    v.extra = map.value(QStringLiteral("Extra")).toMap();
    return v;
}

}  // namespace simmac
