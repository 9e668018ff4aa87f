#pragma once

#include <QString>
#include <QVariantMap>
#include <QtGlobal>

// One volume or disk as the screens show it: a plain record that whoever reads a tool's output fills.
// What `volumePath` holds depends on who fills it: the BSD identifier ("disk2s1") in the Disk Tool list
// and the clone engine; the mount point, the whole disk's identifier or the device node in the picker.
// Fields nobody fills keep their zero value.
struct VolumeObj {
    bool operator==(const VolumeObj&) const = default;

    QString volumeType;  // file-system name, as the picker and the clone engine fill it
    QString volumeName;
    QString volumePath;
    QString volumeMountPoint;
    QString volumeTotalSize;  // size texts
    QString volumeFreeSize;
    qint64 volumeTotalSizeNum = 0;
    qint64 volumeFreeSizeNum = 0;
    QString BusProtocol;
    QString diskType;  // file-system name, as the Disk Tool list fills it
    QString diskId;
    QString diskMediaName;
    QString diskSMARTStatus;
    QString diskContent;
    QString diskEx;
    QString vORpStr;
    QString diskUUID;
    QString volRootDir;  // the device node
    qint16 volumeNum = 0;
    QString parentWholeDisk;
    bool isInter = false;
    bool isSolidState = false;
    bool isWritable = false;
    bool isDisk = false;
    bool isOeners = false;
    qint32 chrCount = 0;
    bool bCanEject = false;  // on a removable or external device
};

// The Disk Tool list's record of one volume dictionary of CVolumeMgr::enumDiskVolumesInfo.
VolumeObj volumeObjFromVolumeInfo(const QVariantMap& volumeInfo);
