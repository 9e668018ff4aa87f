#pragma once

#include "simmac/state/SimState.h"

#include <QString>
#include <QStringList>

namespace simmac {

// The disks `simctl attach` plugs in. Together they reach every volume filter rule of the program:
//   usb-exfat (GUID: EFI + ExFAT), usb-fat32-mbr (MBR, one FAT32 partition, no DiskUUID), usb-hfs,
//   usb-apfs (EFI + APFS container), usb-blank (no partition scheme, no file system), sd-card ("Secure
//   Digital", built in), tb-ssd ("PCI-Express", ejectable), sata-internal (not ejectable), usb-raid
//   (RAIDMaster), usb-cs-encrypted (CoreStorageEncrypted), usb-hfsx (Content "Apple_HFSX"), usb-tiny
//   (a 20 MB volume).
class DevicePreset {
public:
    struct Options {
        QString name;        // of the main volume
        qint64 size = 0;     // of the disk; 0 keeps the preset's
        QString fileSystem;  // code (FileSystemType); empty keeps the preset's
    };

    static QStringList names();
    // The disk and its containers, not yet plugged in (their identifiers are placeholders that plugging
    // replaces), with sample files written into the store of the main volume. Throws ToolExit for an
    // unknown preset or options it cannot take.
    static DetachedDisk make(const QString& preset, const Options& options, SimState& state);
};

}  // namespace simmac
