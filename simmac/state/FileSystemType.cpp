#include "simmac/state/FileSystemType.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace simmac {
namespace {

struct Kind {
    const char* code;
    const char* personality;
    const char* userVisible;
    const char* bundle;
    const char* family;
    const char* shortName;
    const char* aliases;  // accepted names besides personality and user-visible name, '|'-separated
};

constexpr std::array<Kind, 7> kKinds{{
    {"exfat", "ExFAT", "ExFAT", "exfat", "exfat", "exfat", ""},
    {"msdos-fat32", "MS-DOS FAT32", "MS-DOS (FAT32)", "msdos", "fat", "fat32", "FAT32|MS-DOS"},
    {"msdos-fat16", "MS-DOS FAT16", "MS-DOS (FAT16)", "msdos", "fat", "fat16", "FAT16"},
    {"hfs", "HFS+", "Mac OS Extended", "hfs", "hfs", "hfs", ""},
    {"jhfs", "Journaled HFS+", "Mac OS Extended (Journaled)", "hfs", "hfs", "jhfs", "JHFS+"},
    {"apfs", "APFS", "APFS", "apfs", "apfs", "apfs", ""},
    {"apfs-cs", "Case-sensitive APFS", "APFS (Case-sensitive)", "apfs", "apfs", "", ""},
}};

const Kind* find(const QString& fs) {
    for (const Kind& k : kKinds) {
        if (fs == QLatin1String(k.code)) {
            return &k;
        }
    }
    return nullptr;
}

QString field(const QString& fs, const char* Kind::*member) {
    const Kind* k = find(fs);
    return k ? QString::fromLatin1(k->*member) : QString();
}

bool fatCharacterAllowed(QChar c) {
    static const QString forbidden = QStringLiteral("\"*+,./:;<=>?[\\]|");
    return c.unicode() >= 0x20 && c.unicode() < 0x7F && !forbidden.contains(c);
}

}  // namespace

std::optional<QString> FileSystemType::fromName(const QString& name) {
    for (const Kind& k : kKinds) {
        QStringList names{QLatin1String(k.code), QLatin1String(k.personality), QLatin1String(k.userVisible)};
        names += QString::fromLatin1(k.aliases).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        if (names.contains(name, Qt::CaseInsensitive)) {
            return QString::fromLatin1(k.code);
        }
    }
    return std::nullopt;
}

std::optional<QString> FileSystemType::fromShortName(const QString& name) {
    for (const Kind& k : kKinds) {
        if (*k.shortName != '\0' && name.compare(QLatin1String(k.shortName), Qt::CaseInsensitive) == 0) {
            return QString::fromLatin1(k.code);
        }
    }
    return std::nullopt;
}

QString FileSystemType::personality(const QString& fs) {
    return field(fs, &Kind::personality);
}

QString FileSystemType::userVisibleName(const QString& fs) {
    return field(fs, &Kind::userVisible);
}

QString FileSystemType::bundle(const QString& fs) {
    return field(fs, &Kind::bundle);
}

QString FileSystemType::fsckName(const QString& fs) {
    return QStringLiteral("fsck_") + bundle(fs);
}

bool FileSystemType::isFat(const QString& fs) {
    return fs.startsWith(QLatin1String("msdos"));
}

bool FileSystemType::isApfs(const QString& fs) {
    return fs.startsWith(QLatin1String("apfs"));
}

bool FileSystemType::sameFamily(const QString& a, const QString& b) {
    return field(a, &Kind::family) == field(b, &Kind::family);
}

bool FileSystemType::isResizable(const QString& fs) {
    return !isFat(fs) && fs != QLatin1String("exfat");
}

QString FileSystemType::partitionContent(const QString& fs, bool guid) {
    if (isApfs(fs)) {
        return QStringLiteral("Apple_APFS");
    }
    if (fs.endsWith(QLatin1String("hfs"))) {
        return QStringLiteral("Apple_HFS");
    }
    if (guid) {
        return QStringLiteral("Microsoft Basic Data");
    }
    if (fs == QLatin1String("exfat")) {
        return QStringLiteral("Windows_NTFS");
    }
    return fs == QLatin1String("msdos-fat16") ? QStringLiteral("DOS_FAT_16") : QStringLiteral("DOS_FAT_32");
}

bool FileSystemType::isValidName(const QString& fs, const QString& name) {
    if (name.isEmpty()) {
        return false;
    }
    if (isFat(fs)) {
        return name.size() <= 11 && std::all_of(name.begin(), name.end(), fatCharacterAllowed);
    }
    if (fs == QLatin1String("exfat")) {
        return name.size() <= 11;  // UTF-16 code units
    }
    return name.size() <= 255;
}

QString FileSystemType::erasedName(const QString& fs, const QString& name) {
    const QString named = name.isEmpty() ? QStringLiteral("Untitled") : name;
    return isFat(fs) ? named.toUpper() : named;
}

}  // namespace simmac
