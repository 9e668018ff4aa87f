#include "platform/DiskArbitration.h"

#include "platform/MacPath.h"
#include "platform/SimEventLog.h"
#include "platform/SimInventory.h"

#include <QFileInfo>

namespace platform {
namespace {

NotificationCenter::Token observe(const char* event, DiskArbitration::DiskCallback callback) {
    return SimEventLog::instance().center().addObserver(
        QLatin1String(event), [callback = std::move(callback)](const QVariantMap& e) {
            callback(e.value(SimEventLog::kBsdName).toString());
        });
}

bool holds(const QString& mountPoint, const QString& path) {
    return mountPoint == u"/" || path == mountPoint || path.startsWith(mountPoint + u'/');
}

}  // namespace

DiskArbitration::Session::Session() {
    SimEventLog::instance().follow();
}

void DiskArbitration::Session::registerDiskAppearedCallback(DiskCallback callback) {
    appeared_ = observe("diskAppeared", std::move(callback));
}

void DiskArbitration::Session::registerDiskDisappearedCallback(DiskCallback callback) {
    disappeared_ = observe("diskDisappeared", std::move(callback));
}

std::optional<QString> DiskArbitration::bsdNameForVolumePath(const QString& volumePath) {
    const auto host = hostPath(volumePath);
    const QString canonical = host ? QFileInfo(*host).canonicalFilePath() : QString();
    const auto path = canonical.isEmpty() ? std::nullopt : macPath(canonical);
    const auto state = SimInventory::state();
    if (!path || !state) {
        return std::nullopt;
    }
    std::optional<QString> best;
    qsizetype bestLength = -1;
    for (const QVariantMap& volume : SimInventory::mountedVolumes(*state)) {
        const QString mountPoint = volume.value(QStringLiteral("MountPoint")).toString();
        if (holds(mountPoint, *path) && mountPoint.size() > bestLength) {
            bestLength = mountPoint.size();
            best = volume.value(QStringLiteral("DeviceIdentifier")).toString();
        }
    }
    return best;
}

}  // namespace platform
