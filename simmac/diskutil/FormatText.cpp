#include "simmac/diskutil/FormatText.h"

#include "simmac/state/FileSystemType.h"

#include <cmath>

namespace simmac {
namespace {

QString sizeText(qint64 bytes) {
    if (bytes >= 1000000000) {
        return QString::number(std::llround(static_cast<double>(bytes) / 1e9)) + QStringLiteral(" GB");
    }
    return QString::number(std::llround(static_cast<double>(bytes) / 1e6)) + QStringLiteral(" MB");
}

}  // namespace

QString FormatText::initialized(const QString& nodeId, const QString& fileSystem, qint64 size) {
    const QString device = QStringLiteral("/dev/r") + nodeId;
    if (fileSystem == QLatin1String("hfs") || fileSystem == QLatin1String("jhfs")) {
        return QStringLiteral("Initialized %1 as a %2 case-insensitive HFS Plus volume")
            .arg(device, sizeText(size));
    }
    return QStringLiteral("Initialized %1 as a %2 volume")
        .arg(device, FileSystemType::personality(fileSystem));
}

}  // namespace simmac
