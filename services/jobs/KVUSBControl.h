#pragma once

#include "platform/DiskArbitration.h"
#include "services/jobs/KVUSBControlDelegate.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

// What the clone engine needs around an external drive: the name of the bootable volume it is about to make
// ("TavrunSystem", else "TavrunSystem1", "TavrunSystem2", …), a list of the attached USB whole disks large
// enough to carry a system (from diskutil, kept current by Disk Arbitration), and the carving of a 2.5 GB
// bootable volume out of a USB disk by shrinking one of its volumes.
//
// A USB disk record holds "KVUSBBsdName" (disk4), "KVUSBTotalSize" (bytes) and "KVUSBMediaName" ("Unknown"
// when diskutil gives none). The list is changed under one lock and never holds two records of one disk.
// The listing, the disk lookups and the carving block on diskutil: run them on a background thread.
class KVUSBControl {
public:
    static inline const QString kBsdName = QStringLiteral("KVUSBBsdName");
    static inline const QString kTotalSize = QStringLiteral("KVUSBTotalSize");
    static inline const QString kMediaName = QStringLiteral("KVUSBMediaName");

    // Carving verdicts, under the empty key of `KVGetErrObjs`.
    static constexpr int kErrCoreStorage = -10;
    static constexpr int kErrNoFreeSpace = -11;  // not mounted and nothing free
    static constexpr int kErrTooSmall = -12;     // too little free, too few partitions, or no verdict
    static constexpr int kErrNoNewVolume = -13;  // the resize made no volume of the chosen name on the disk

    // The process-wide instance, never destroyed. Other instances (tests) must outlive the work they start.
    static KVUSBControl* KVShareInstance();
    KVUSBControl() = default;
    KVUSBControl(const KVUSBControl&) = delete;
    KVUSBControl& operator=(const KVUSBControl&) = delete;

    void KVSetDelegateObj(KVUSBControlDelegate* delegate) { delegateObj_.store(delegate); }
    QList<QVariantMap> KVGetUSBList() const;
    QVariantMap KVGetErrObjs() const;
    // Whether the list holds an equal record; false for an empty one.
    bool KVCheckUSBObj(const QVariantMap& record) const;
    // diskutil info -plist /dev/<name>; nothing for a null name or no information.
    std::optional<QVariantMap> KVGetDiskInfo(const QString& bsdName) const;

    // Lists the USB whole disks, then, on the main thread, tells the delegate and follows Disk Arbitration.
    void KVGetUSBThreadImp();
    // Appends the disk's record when it passes the filter.
    void KVAddDiskToUSBObj(const QString& bsdName);
    // On the main thread after a listing: the delegate's KVEnumUSBFinishImp; one Disk Arbitration session per
    // instance, however many listings run.
    void KVCreateDiskCallBack();
    void KVDiskAppearImp(const QString& bsdName);
    void KVDiskDisappearImp(const QString& bsdName);

    // The path of the new bootable volume, or nothing with the reason in `KVGetErrObjs`.
    std::optional<QString> KVCreateKorvelPartition(const QVariantMap& record);

    void NmoCreateVolumeName();
    QString KVGetKorvelVolumeName() const;
    // "/Volumes/" and the chosen name.
    QString KVGetKorvelVolumePath() const;

private:
    bool isCancelled() const;
    bool listsDisk(const QString& bsdName) const;  // the caller holds the lock
    void setError(int code);
    // The resize of one partition of `wholeDisk`, or its verdict.
    std::optional<QString> carve(const QString& wholeDisk, const QString& identifier,
                                 const QVariantMap& info);

    mutable std::mutex mutex_;  // the list, the name and the verdict
    QList<QVariantMap> usbAllObjs_;
    QString strKorvelVolumeName_;
    QVariantMap dictErrObjs_;
    std::atomic<KVUSBControlDelegate*> delegateObj_{nullptr};
    std::unique_ptr<platform::DiskArbitration::Session> session_;  // main thread only
};

// The Disk Arbitration callbacks: the disk's BSD name, when it has one, to the control.
void KVDiskAppearCallback(const QString& bsdName, KVUSBControl* context);
void KVDiskDisappearCallback(const QString& bsdName, KVUSBControl* context);
