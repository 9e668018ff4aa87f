#include "platform/Bundle.h"

#include "platform/PropertyList.h"
#include "platform/TestSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <mutex>
#include <utility>

namespace platform {
namespace {

std::mutex overrideMutex;
QString* resourcesOverride() {
    static QString* value = new QString;  // never destroyed
    return value;
}

}  // namespace

QString Bundle::mainBundlePath() {
    // The kernel's link to the running executable: QCoreApplication's answer needs an application object.
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QDir::cleanPath(QFileInfo(executable).path() + QStringLiteral("/../.."));
}

std::optional<QVariantMap> Bundle::infoDictionary(const QString& bundlePath) {
    const auto info = PropertyList::fromHostFile(bundlePath + QStringLiteral("/Contents/Info.plist"));
    if (!info || info->typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    return info->toMap();
}

QString Bundle::resourcesFolder() {
    {
        std::lock_guard guard(overrideMutex);
        if (!resourcesOverride()->isEmpty()) {
            return *resourcesOverride();
        }
    }
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../Resources"));
}

QString Bundle::pathForResource(const QString& name, const QString& type) {
    const QString path = resourcesFolder() + u'/' + name + (type.isEmpty() ? QString() : u'.' + type);
    return QFileInfo(path).isFile() ? path : QString();
}

void Bundle::setResourcesFolderForTesting(const QString& hostPath) {
    std::lock_guard guard(overrideMutex);
    restoreAfterTest([old = std::exchange(*resourcesOverride(), hostPath)] {
        std::lock_guard restoring(overrideMutex);
        *resourcesOverride() = old;
    });
}

}  // namespace platform
