#include "simmac/hdiutil/ImageFile.h"

#include "simmac/state/SimPaths.h"
#include "simmac/tools/HostProcess.h"

#include "platform/FileSystem.h"
#include "platform/PropertyList.h"

#include <QAtomicInteger>

#include <unistd.h>

namespace simmac {
namespace {

const QString kTar = QStringLiteral("/bin/tar");

QString uniqueSuffix() {
    static QAtomicInteger<int> counter;
    return QString::number(::getpid()) + QLatin1Char('-') + QString::number(counter.fetchAndAddRelaxed(1));
}

QString partialName(const QString& imagePath) {
    const qsizetype slash = imagePath.lastIndexOf(QLatin1Char('/'));
    return imagePath.left(slash + 1) + QLatin1Char('.') + imagePath.mid(slash + 1).left(100) +
           QStringLiteral(".simmac-partial-") + uniqueSuffix();
}

}  // namespace

bool ImageFile::write(const QString& imagePath, const QVariantMap& metadata, const QString& contentFolder) {
    const QString work = SimPaths::staging() + QStringLiteral("/meta-") + uniqueSuffix();
    const QString partial = partialName(imagePath);
    bool ok = platform::FileSystem::mkpath(work) && platform::FileSystem::mkpath(contentFolder) &&
              platform::PropertyList::writeXmlFile(work + QLatin1Char('/') + metadataName(), metadata);
    ok =
        ok && HostProcess::capture(
                  kTar, {QStringLiteral("--create"), QStringLiteral("--format=gnu"), QStringLiteral("--file"),
                         SimPaths::host(partial), QStringLiteral("-C"), SimPaths::host(work), metadataName(),
                         QStringLiteral("-C"), SimPaths::host(contentFolder), QStringLiteral(".")})
                      .exitCode == 0;
    ok = ok && platform::FileSystem::rename(partial, imagePath);
    platform::FileSystem::remove(work);
    if (!ok) {
        platform::FileSystem::remove(partial);
    }
    return ok;
}

std::optional<QVariantMap> ImageFile::metadata(const QString& imagePath) {
    const QString host = SimPaths::host(imagePath);
    if (host.isEmpty() || platform::FileSystem::info(imagePath, true).kind != platform::FileKind::File) {
        return std::nullopt;
    }
    const HostProcess::Result result =
        HostProcess::capture(kTar, {QStringLiteral("--extract"), QStringLiteral("--to-stdout"),
                                    QStringLiteral("--file"), host, QStringLiteral("--"), metadataName()});
    if (result.exitCode != 0) {
        return std::nullopt;
    }
    auto map = platform::PropertyList::dictionaryFromBytes(result.out);
    if (!map || !map->contains(QStringLiteral("ImageUUID"))) {
        return std::nullopt;
    }
    return map;
}

// Members naming "..", absolute paths and links leading out are left to tar's own guards, which refuse to
// write outside the folder.
bool ImageFile::unpack(const QString& imagePath, const QString& folder) {
    return HostProcess::capture(
               kTar, {QStringLiteral("--extract"), QStringLiteral("--file"), SimPaths::host(imagePath),
                      QStringLiteral("--no-same-owner"), QStringLiteral("-C"), SimPaths::host(folder),
                      QStringLiteral("--anchored"), QStringLiteral("--exclude=") + metadataName()})
               .exitCode == 0;
}

}  // namespace simmac
