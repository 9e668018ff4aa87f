#include "platform/SimInventory.h"

#include "platform/MacPath.h"
#include "platform/PropertyList.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

// Holds the simulated Mac's lock shared: the tools replace the state under the exclusive lock.
class SharedLock {
public:
    explicit SharedLock(const QString& file)
        : fd_(::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_SH);
        }
    }
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;
    ~SharedLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }

private:
    int fd_;
};

QString simFile(const QString& name) {
    const QString root = simRoot();
    return root.isEmpty() ? QString() : root + QStringLiteral("/.sim/") + name;
}

std::optional<QVariantMap> dictionaryAt(const QString& hostFile) {
    const auto value = hostFile.isEmpty() ? std::nullopt : PropertyList::fromHostFile(hostFile);
    if (!value || value->typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    return value->toMap();
}

void appendVolumes(const QVariantMap& disk, QList<QVariantMap>& out) {
    if (!disk.value(QStringLiteral("FileSystem")).toString().isEmpty()) {
        out.append(disk);
    }
    for (const char* key : {"Partitions", "APFSVolumes"}) {
        for (const QVariant& volume : disk.value(QLatin1String(key)).toList()) {
            out.append(volume.toMap());
        }
    }
}

}  // namespace

std::optional<QVariantMap> SimInventory::state() {
    const QString file = simFile(QStringLiteral("state.plist"));
    if (file.isEmpty()) {
        return std::nullopt;
    }
    SharedLock lock(simFile(QStringLiteral("lock")));
    return dictionaryAt(file);
}

std::optional<QVariantMap> SimInventory::machine() {
    return dictionaryAt(simFile(QStringLiteral("machine.plist")));
}

QList<QVariantMap> SimInventory::volumes(const QVariantMap& state) {
    QList<QVariantMap> out;
    for (const QVariant& disk : state.value(QStringLiteral("Disks")).toList()) {
        appendVolumes(disk.toMap(), out);
    }
    return out;
}

QList<QVariantMap> SimInventory::mountedVolumes(const QVariantMap& state) {
    QList<QVariantMap> root;
    QList<QVariantMap> others;
    for (const QVariantMap& volume : volumes(state)) {
        const QString mountPoint = volume.value(QStringLiteral("MountPoint")).toString();
        if (mountPoint == u"/") {
            root.append(volume);
        } else if (!mountPoint.isEmpty()) {
            others.append(volume);
        }
    }
    return root + others;
}

}  // namespace platform
