#include "services/disks/VolumeObj.h"

VolumeObj volumeObjFromVolumeInfo(const QVariantMap& volumeInfo) {
    const auto text = [&](const char* key) { return volumeInfo.value(QLatin1String(key)).toString(); };
    VolumeObj volume;
    volume.volumeName = text("volumeName");
    volume.BusProtocol = text("BusProtocol");
    volume.bCanEject = volumeInfo.value(QStringLiteral("Ejectable")).toBool();
    volume.volumeTotalSize = text("volumeTotalSize");
    volume.diskType = text("FilesystemName");
    volume.volumeFreeSize = text("volumeFreeSize");
    volume.volRootDir = text("DeviceNode");
    volume.volumePath = text("volumePath");
    volume.parentWholeDisk = text("ParentWholeDisk");
    volume.volumeMountPoint = text("MountPoint");
    volume.diskUUID = text("DiskUUID");
    volume.volumeTotalSizeNum = volumeInfo.value(QStringLiteral("TotalSize")).toLongLong();
    volume.volumeFreeSizeNum = volumeInfo.value(QStringLiteral("FreeSpace")).toLongLong();
    volume.isWritable = volumeInfo.value(QStringLiteral("Writable")).toBool();
    return volume;
}
