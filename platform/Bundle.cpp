#include "platform/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <mutex>

namespace platform {
namespace {

std::mutex overrideMutex;
QString* resourcesOverride() {
    static QString* value = new QString;  // never destroyed
    return value;
}

}  // namespace

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
    *resourcesOverride() = hostPath;
}

}  // namespace platform
