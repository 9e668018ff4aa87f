#include "simmac/hdiutil/ImageDisk.h"

#include "simmac/hdiutil/ImageFile.h"
#include "simmac/state/ContentFolder.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/Topology.h"

#include "platform/FileSystem.h"

#include <QAtomicInteger>

#include <unistd.h>

namespace simmac {
namespace {

const QString kMedia = QStringLiteral("Apple UDIF read-write Media");
constexpr qint64 kGptOverhead = 40960;

std::optional<QString> attachedDisk(const SimState& state, const QString& imagePath) {
    for (const Disk& d : state.disks) {
        if (d.isImage() && d.imagePath == imagePath) {
            return d.id();
        }
    }
    return std::nullopt;
}

Disk imageDisk(const QString& id, const QString& imagePath, const QVariantMap& metadata) {
    Disk disk;
    disk.whole.id = id;
    disk.whole.content = QStringLiteral("GUID_partition_scheme");
    disk.whole.size = metadata.value(QStringLiteral("Size")).toLongLong();
    disk.kind = QString::fromLatin1(Disk::kImage);
    disk.busProtocol = QStringLiteral("Disk Image");
    disk.ejectable = true;
    disk.removable = true;
    disk.virtualOrPhysical = QStringLiteral("Virtual");
    disk.mediaName = kMedia;
    disk.ioRegistryEntryName = kMedia;
    disk.imagePath = imagePath;
    disk.imageUuid = metadata.value(QStringLiteral("ImageUUID")).toString();
    return disk;
}

// The volume of an image disk that holds its files.
const Volume* mainVolume(const SimState& state, const QString& diskId) {
    for (const QString& id : state.nodeIds()) {
        const Volume* v = state.node(id).volume;
        if (v->hasFileSystem() && state.physicalDiskOf(id) == diskId) {
            return v;
        }
    }
    return nullptr;
}

QString stagingFolder() {
    static QAtomicInteger<int> counter;
    return SimPaths::staging() + QStringLiteral("/image-") + QString::number(::getpid()) + QLatin1Char('-') +
           QString::number(counter.fetchAndAddRelaxed(1));
}

QString line(const QString& device, const QString& hint, const QString& mountPoint) {
    return device.leftJustified(20) + QLatin1Char('\t') + hint.left(31).leftJustified(31) +
           QLatin1Char('\t') + mountPoint;
}

// The disk of an unpacked image, added under the lock. Another attach of the same image may have added it
// while this one was unpacking; its disk is the answer then, and the staged files are not used.
std::optional<QString> addDisk(const QString& imagePath, const QVariantMap& metadata, const QString& staging,
                               ImageDisk::Failure& failure) {
    StateTransaction tx;
    SimState& state = tx.state();
    if (auto attached = attachedDisk(state, imagePath)) {
        return attached;
    }
    const QString id = state.newDiskId();
    state.insertDisk(imageDisk(id, imagePath, metadata));
    tx.record(QStringLiteral("diskAppeared"), id);
    Topology topology(tx);
    const QString partition = topology.addPartition(id, state.disk(id)->whole.size - kGptOverhead, true).id;
    const QString fs = FileSystemType::fromName(metadata.value(QStringLiteral("FileSystem")).toString())
                           .value_or(QStringLiteral("hfs"));
    Volume& volume =
        *state.node(topology.format(partition, fs, metadata.value(QStringLiteral("VolumeName")).toString()))
             .volume;
    const QString store = SimPaths::store(volume.uuid);
    platform::FileSystem::mkpath(store);
    platform::FileSystem::remove(store);  // the rename needs the parent, not the folder itself
    if (!platform::FileSystem::rename(staging, store) || !topology.mounter().mount(volume)) {
        failure = ImageDisk::Failure::Unwritable;
        return std::nullopt;  // nothing committed: the inventory stays as it was
    }
    tx.commit();
    return id;
}

}  // namespace

std::optional<QString> ImageDisk::attach(const QString& imagePath, Failure& failure) {
    if (const auto state = StateTransaction::read()) {
        if (auto id = attachedDisk(*state, imagePath)) {
            return id;
        }
    }
    if (!platform::FileSystem::exists(imagePath)) {
        failure = Failure::Missing;
        return std::nullopt;
    }
    const auto metadata = ImageFile::metadata(imagePath);
    const QString staging = stagingFolder();
    if (!metadata || !platform::FileSystem::mkpath(staging) || !ImageFile::unpack(imagePath, staging)) {
        platform::FileSystem::remove(staging);
        failure = Failure::NotRecognized;
        return std::nullopt;
    }
    const auto id = addDisk(imagePath, *metadata, staging, failure);
    platform::FileSystem::remove(staging);  // still there when the disk was not added
    return id;
}

bool ImageDisk::detach(const QString& diskId, const Check& check) {
    const SimState state = StateTransaction::current();
    const Disk* disk = state.disk(diskId);
    const Volume* volume = mainVolume(state, diskId);
    if (disk == nullptr || volume == nullptr) {
        return false;
    }
    QVariantMap metadata = ImageFile::metadata(disk->imagePath)
                               .value_or(QVariantMap{{QStringLiteral("ImageUUID"), disk->imageUuid},
                                                     {QStringLiteral("Format"), QStringLiteral("UDRW")}});
    metadata.insert(QStringLiteral("VolumeName"), volume->name);
    metadata.insert(QStringLiteral("Size"), disk->whole.size);
    metadata.insert(QStringLiteral("FileSystem"), FileSystemType::personality(volume->fileSystem));
    if (!ImageFile::write(disk->imagePath, metadata, ContentFolder::of(state, *volume).path())) {
        return false;
    }
    StateTransaction tx;
    check(tx.state());
    if (Topology(tx).unplug(diskId, false)) {
        tx.commit();
    }
    return true;
}

bool ImageDisk::eject(const QString& diskId, const Check& check) {
    const SimState state = StateTransaction::current();
    if (state.disk(diskId) != nullptr && state.disk(diskId)->isImage()) {
        return detach(diskId, check);
    }
    StateTransaction tx;
    check(tx.state());
    if (!Topology(tx).unplug(diskId, true)) {
        return false;
    }
    tx.commit();
    return true;
}

QStringList ImageDisk::entities(const SimState& state, const QString& diskId) {
    QStringList lines;
    QStringList disks{diskId};
    disks += state.containersOn(diskId);
    for (const QString& id : disks) {
        const Disk* d = state.disk(id);
        lines.append(line(QStringLiteral("/dev/") + id, d->whole.content, d->whole.mountPoint));
        for (const Volume& v : d->children()) {
            const QString hint = d->isContainer() ? FileSystemType::apfsVolumeContent() : v.content;
            lines.append(line(QStringLiteral("/dev/") + v.id, hint, v.mountPoint));
        }
    }
    return lines;
}

}  // namespace simmac
