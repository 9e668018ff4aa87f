#pragma once

#include <QString>

#include <optional>

namespace simmac {

// The file systems the simulated Mac knows, by the codes the state uses ("exfat", "msdos-fat32",
// "msdos-fat16", "hfs", "jhfs", "apfs", "apfs-cs"), with the names the real tools give them.
class FileSystemType {
public:
    // "Content" of an APFS volume and of an APFS container: the raw type GUIDs.
    static QString apfsVolumeContent() { return QStringLiteral("41504653-0000-11AA-AA11-00306543ECAC"); }
    static QString containerContent() { return QStringLiteral("EF57347C-0000-11AA-AA11-00306543ECAC"); }

    // The code for a name as diskutil and hdiutil accept it ("JHFS+", "Mac OS Extended (Journaled)",
    // "MS-DOS", "ExFAT", …, in any case); also accepts the codes themselves.
    static std::optional<QString> fromName(const QString& name);
    // simctl's short names: exfat, fat32, fat16, hfs, jhfs, apfs.
    static std::optional<QString> fromShortName(const QString& name);

    static QString personality(const QString& fs);      // "FilesystemName": "Journaled HFS+"
    static QString userVisibleName(const QString& fs);  // "FilesystemUserVisibleName"
    static QString bundle(const QString& fs);           // "FilesystemType": "hfs"
    static QString fsckName(const QString& fs);         // "fsck_hfs"

    static bool isFat(const QString& fs);
    static bool isApfs(const QString& fs);
    // Same family (both HFS, both APFS, both FAT, both exFAT): asr copies without repartitioning.
    static bool sameFamily(const QString& a, const QString& b);
    static bool isResizable(const QString& fs);

    // The partition type a partition of this file system gets on a GUID or an MBR disk.
    static QString partitionContent(const QString& fs, bool guid);
    // Whether a volume of this file system may carry the name.
    static bool isValidName(const QString& fs, const QString& name);
    // The name an erase gives: FAT names upper-cased, an empty name "Untitled" ("UNTITLED" on FAT).
    static QString erasedName(const QString& fs, const QString& name);
};

}  // namespace simmac
