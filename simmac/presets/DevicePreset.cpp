#include "simmac/presets/DevicePreset.h"

#include "simmac/ToolExit.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/Topology.h"

#include "platform/FileSystem.h"

#include <array>

namespace simmac {
namespace {

constexpr qint64 kEfiSize = 209715200;
constexpr qint64 kGptOverhead = 40960;
constexpr qint64 kMbrOffset = 1048576;
const QString kPlaceholderDisk = QStringLiteral("disk900");
const QString kPlaceholderContainer = QStringLiteral("disk901");

enum class Layout { Guid, Mbr, Raw, Blank, CoreStorage };

struct DeviceSpec {
    const char* preset;
    const char* bus;
    bool internal;
    bool ejectable;
    bool removable;
    bool solidState;
    Layout layout;
    const char* fileSystem;
    const char* volumeName;
    qint64 size;
    const char* media;
};

const std::array<DeviceSpec, 12> kDevices{{
    {"usb-exfat", "USB", false, true, false, false, Layout::Guid, "exfat", "USB", 32000000000,
     "SanDisk Ultra"},
    {"usb-fat32-mbr", "USB", false, true, false, false, Layout::Mbr, "msdos-fat32", "NO NAME", 16000000000,
     "Kingston DataTraveler"},
    {"usb-hfs", "USB", false, true, false, false, Layout::Guid, "jhfs", "USB HFS", 64000000000,
     "Samsung Flash Drive"},
    {"usb-apfs", "USB", false, true, false, true, Layout::Guid, "apfs", "USB APFS", 128000000000,
     "Samsung T7"},
    {"usb-blank", "USB", false, true, false, false, Layout::Blank, "", "", 8000000000, "Generic Flash Disk"},
    {"sd-card", "Secure Digital", true, true, true, false, Layout::Mbr, "msdos-fat32", "SD CARD", 64000000000,
     "SD Card Reader"},
    {"tb-ssd", "PCI-Express", false, true, false, true, Layout::Guid, "apfs", "Thunder", 1000204886016,
     "Samsung X5"},
    {"sata-internal", "SATA", true, false, false, false, Layout::Guid, "jhfs", "Data HD", 2000398934016,
     "WDC WD20EZRZ"},
    {"usb-raid", "USB", false, true, false, false, Layout::Guid, "jhfs", "RAID Set", 500107862016,
     "OWC Mercury Elite Pro"},
    {"usb-cs-encrypted", "USB", false, true, false, false, Layout::CoreStorage, "", "", 256060514304,
     "LaCie Rugged"},
    {"usb-hfsx", "USB", false, true, false, false, Layout::Raw, "hfs", "HFSX Disk", 32000000000,
     "Transcend JetFlash"},
    {"usb-tiny", "USB", false, true, false, false, Layout::Mbr, "msdos-fat16", "TINY", 21048576,
     "Tiny Flash"},
}};

const DeviceSpec& deviceLayout(const QString& preset) {
    for (const DeviceSpec& d : kDevices) {
        if (preset == QLatin1String(d.preset)) {
            return d;
        }
    }
    throw ToolExit{1, QStringLiteral("simctl: unknown device preset \"%1\" (known: %2)")
                          .arg(preset, DevicePreset::names().join(QStringLiteral(", ")))};
}

Disk physicalDisk(const DeviceSpec& d, qint64 size) {
    Disk disk;
    disk.whole.id = kPlaceholderDisk;
    disk.whole.size = size;
    disk.busProtocol = QLatin1String(d.bus);
    disk.internal = d.internal;
    disk.ejectable = d.ejectable;
    disk.removable = d.removable;
    disk.solidState = d.solidState;
    disk.mediaName = QLatin1String(d.media);
    disk.ioRegistryEntryName = QLatin1String(d.media) + QStringLiteral(" Media");
    if (QLatin1String(d.preset) == QLatin1String("usb-raid")) {
        disk.raidMaster = true;
    }
    if (d.layout == Layout::CoreStorage) {
        disk.coreStorageEncrypted = true;
    }
    return disk;
}

Volume& addPartition(Disk& disk, SimState& state, const QString& content, qint64 size, bool guid) {
    Volume p;
    p.id = disk.nextChildId();
    p.content = content;
    p.size = size;
    if (guid) {
        p.diskUuid = state.newUuid();
    }
    disk.partitions.append(p);
    return disk.partitions.last();
}

// Every volume has its content folder from the start, mounted or not.
void giveFileSystem(Volume& v, SimState& state, const QString& fs, const QString& name) {
    v.fileSystem = fs;
    v.name = name;
    v.uuid = state.newUuid();
    platform::FileSystem::mkpath(SimPaths::store(v.uuid));
}

// The volume that gets the preset's name, file system and sample files.
Volume& mainPartition(const DeviceSpec& d, Disk& disk, SimState& state, const QString& fs) {
    const qint64 size = disk.whole.size;
    if (d.layout == Layout::Mbr) {
        disk.whole.content = QStringLiteral("FDisk_partition_scheme");
        return addPartition(disk, state, FileSystemType::partitionContent(fs, false), size - kMbrOffset,
                            false);
    }
    disk.whole.content = QStringLiteral("GUID_partition_scheme");
    Volume& efi = addPartition(disk, state, QStringLiteral("EFI"), kEfiSize, true);
    giveFileSystem(efi, state, QStringLiteral("msdos-fat32"), QStringLiteral("EFI"));
    return addPartition(disk, state, FileSystemType::partitionContent(fs, true),
                        size - kEfiSize - kGptOverhead, true);
}

void addCoreStorage(Disk& disk, SimState& state) {
    disk.whole.content = QStringLiteral("GUID_partition_scheme");
    Volume& efi = addPartition(disk, state, QStringLiteral("EFI"), kEfiSize, true);
    giveFileSystem(efi, state, QStringLiteral("msdos-fat32"), QStringLiteral("EFI"));
    constexpr qint64 kBootSize = 650002432;
    addPartition(disk, state, QStringLiteral("Apple_CoreStorage"),
                 disk.whole.size - kEfiSize - kBootSize - kGptOverhead, true);
    Volume& boot = addPartition(disk, state, QStringLiteral("Apple_Boot"), kBootSize, true);
    giveFileSystem(boot, state, QStringLiteral("jhfs"), QStringLiteral("Boot OS X"));
}

void writeSamples(const Volume& v) {
    const QString folder = SimPaths::store(v.uuid);
    platform::FileSystem::mkpath(folder + QStringLiteral("/Documents"));
    platform::FileSystem::mkpath(folder + QStringLiteral("/Photos"));
    platform::FileSystem::writeAtomically(folder + QStringLiteral("/Documents/notes.txt"),
                                          "Notes kept on the simulated disk.\n");
    platform::FileSystem::writeAtomically(folder + QStringLiteral("/Photos/IMG_0001.JPG"),
                                          QByteArray(2048, '\xd8'));
}

QString chosenFileSystem(const DeviceSpec& d, const DevicePreset::Options& options) {
    if (options.fileSystem.isEmpty()) {
        return QLatin1String(d.fileSystem);
    }
    const bool apfs = FileSystemType::isApfs(options.fileSystem);
    if (d.layout == Layout::Blank || d.layout == Layout::CoreStorage || (d.layout == Layout::Raw && apfs) ||
        (d.layout == Layout::Mbr && apfs)) {
        throw ToolExit{1, QStringLiteral("simctl: %1 cannot take --fs").arg(QLatin1String(d.preset))};
    }
    return options.fileSystem;
}

}  // namespace

QStringList DevicePreset::names() {
    QStringList names;
    for (const DeviceSpec& d : kDevices) {
        names.append(QLatin1String(d.preset));
    }
    return names;
}

DetachedDisk DevicePreset::make(const QString& preset, const Options& options, SimState& state) {
    const DeviceSpec& d = deviceLayout(preset);
    const QString fs = chosenFileSystem(d, options);
    const QString name = options.name.isEmpty() ? QLatin1String(d.volumeName) : options.name;
    DetachedDisk entry{physicalDisk(d, options.size > 0 ? options.size : d.size), {}};
    Disk& disk = entry.disk;
    if (d.layout == Layout::Blank) {
        return entry;
    }
    if (d.layout == Layout::CoreStorage) {
        addCoreStorage(disk, state);
        return entry;
    }
    if (d.layout == Layout::Raw) {
        disk.whole.content = QStringLiteral("Apple_HFSX");
        giveFileSystem(disk.whole, state, fs, name);
        writeSamples(disk.whole);
        return entry;
    }
    Volume& main = mainPartition(d, disk, state, fs);
    if (!FileSystemType::isApfs(fs)) {
        giveFileSystem(main, state, fs, name);
        writeSamples(main);
        return entry;
    }
    Volume volume = Topology::apfsVolume(name, state.newUuid());
    volume.fileSystem = fs;
    entry.containers.append(Topology::containerFor(disk, main, kPlaceholderContainer, volume));
    writeSamples(volume);
    return entry;
}

}  // namespace simmac
