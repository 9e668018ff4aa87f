#include "simmac/presets/MacPreset.h"

#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/SimState.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/Topology.h"

#include "platform/FileSystem.h"
#include "platform/PropertyList.h"

#include <QCryptographicHash>
#include <QFile>

#include <array>

namespace simmac {
namespace {

using platform::FileSystem;

constexpr qint64 kEfiSize = 209715200;
constexpr qint64 kGptOverhead = 40960;

struct MacSpec {
    const char* name;
    const char* productName;
    const char* version;
    const char* build;
    const char* cpu;
    bool cryptexes;  // macOS 13 keeps parts of the system in cryptexes on the Preboot volume
    void (*layout)(SimState&);
};

struct VolumeSpec {
    const char* name;
    const char* role;
    const char* mountPoint;
    qint64 usedBytes;
};

Disk internalDisk(SimState& state, const char* bus, qint64 size, bool solidState, const char* media) {
    Disk disk;
    disk.whole.id = state.newDiskId();
    disk.whole.content = QStringLiteral("GUID_partition_scheme");
    disk.whole.size = size;
    disk.busProtocol = QLatin1String(bus);
    disk.internal = true;
    disk.ejectable = false;
    disk.solidState = solidState;
    disk.mediaName = QLatin1String(media);
    disk.ioRegistryEntryName = QLatin1String(media) + QStringLiteral(" Media");
    return disk;
}

Volume& addPartition(Disk& disk, SimState& state, const char* content, qint64 size) {
    Volume p;
    p.id = disk.nextChildId();
    p.content = QLatin1String(content);
    p.size = size;
    p.diskUuid = state.newUuid();
    disk.partitions.append(p);
    return disk.partitions.last();
}

void addEfi(Disk& disk, SimState& state) {
    Volume& efi = addPartition(disk, state, "EFI", kEfiSize);
    efi.fileSystem = QStringLiteral("msdos-fat32");
    efi.name = QStringLiteral("EFI");
    efi.uuid = state.newUuid();
}

QString snapshotName(const QString& uuid) {
    return QStringLiteral("com.apple.os.update-") +
           QString::fromLatin1(
               QCryptographicHash::hash(uuid.toLatin1(), QCryptographicHash::Sha256).toHex().toUpper());
}

// A container on `store` holding the volumes in order; the System volume of a sealed system is followed by
// its snapshot, which is what "/" is.
void addContainer(SimState& state, const Disk& physical, const Volume& store,
                  std::initializer_list<VolumeSpec> volumes, bool sealed) {
    const QString id = state.newDiskId();
    Disk container = Topology::containerFor(physical, store, id, Volume{});
    container.apfsVolumes.clear();
    for (const VolumeSpec& wanted : volumes) {
        Volume v = Topology::apfsVolume(QLatin1String(wanted.name), state.newUuid());
        v.id = container.nextChildId();
        v.role = QLatin1String(wanted.role);
        v.usedBytes = wanted.usedBytes;
        v.mountPoint = QLatin1String(wanted.mountPoint);
        if (sealed && v.role == QLatin1String("System")) {
            Volume snapshot = v;
            snapshot.id = v.id + QStringLiteral("s1");
            snapshot.uuid = snapshot.diskUuid = state.newUuid();
            snapshot.snapshotOf = v.id;
            snapshot.snapshotName = snapshotName(snapshot.uuid);
            v.mountPoint.clear();
            v.usedBytes = 0;  // its data is the snapshot's
            container.apfsVolumes.append(v);
            container.apfsVolumes.append(snapshot);
            state.rootVolume = snapshot.id;
            continue;
        }
        if (v.mountPoint == QLatin1String("/")) {
            state.rootVolume = v.id;
        }
        container.apfsVolumes.append(v);
    }
    state.disks.append(container);
}

void appleSilicon13(SimState& state) {
    Disk disk = internalDisk(state, "Apple Fabric", 500277790720, true, "APPLE SSD AP0512Q");
    disk.virtualOrPhysical = QStringLiteral("Unknown");
    const Volume isc = addPartition(disk, state, "Apple_APFS_ISC", 524288000);
    const Volume main = addPartition(disk, state, "Apple_APFS", 494384795648);
    const Volume recovery = addPartition(disk, state, "Apple_APFS_Recovery", 5368672256);
    state.disks.append(disk);
    addContainer(state, disk, isc,
                 {{"iSCPreboot", "iSCPreboot", "/System/Volumes/iSCPreboot", 5472256},
                  {"xART", "xART", "/System/Volumes/xarts", 6328320},
                  {"Hardware", "Hardware", "/System/Volumes/Hardware", 2256896}},
                 true);
    addContainer(state, disk, recovery, {{"Recovery", "Recovery", "", 1060446208}}, true);
    addContainer(state, disk, main,
                 {{"Macintosh HD", "System", "/", 9600000000},
                  {"Preboot", "Preboot", "/System/Volumes/Preboot", 5730000000},
                  {"Recovery", "Recovery", "", 1070000000},
                  {"Update", "Update", "/System/Volumes/Update", 3100000},
                  {"Macintosh HD - Data", "Data", "/System/Volumes/Data", 110000000000},
                  {"VM", "VM", "/System/Volumes/VM", 20480}},
                 true);
}

void intel12(SimState& state) {
    Disk disk = internalDisk(state, "PCI-Express", 500277790720, true, "APPLE SSD AP0512M");
    addEfi(disk, state);
    const Volume main = addPartition(disk, state, "Apple_APFS", 500277790720 - kEfiSize - kGptOverhead);
    state.disks.append(disk);
    addContainer(state, disk, main,
                 {{"Macintosh HD", "System", "/", 9200000000},
                  {"Preboot", "Preboot", "/System/Volumes/Preboot", 310000000},
                  {"Recovery", "Recovery", "", 1030000000},
                  {"VM", "VM", "/System/Volumes/VM", 1073762304},
                  {"Macintosh HD - Data", "Data", "/System/Volumes/Data", 110000000000},
                  {"Update", "Update", "/System/Volumes/Update", 2100000}},
                 true);
}

void intel1014(SimState& state) {
    Disk disk = internalDisk(state, "SATA", 251000193024, true, "APPLE SSD SM0256L");
    addEfi(disk, state);
    const Volume main = addPartition(disk, state, "Apple_APFS", 251000193024 - kEfiSize - kGptOverhead);
    state.disks.append(disk);
    addContainer(state, disk, main,
                 {{"Macintosh HD", "", "/", 60000000000},
                  {"Preboot", "Preboot", "", 24000000},
                  {"Recovery", "Recovery", "", 510000000},
                  {"VM", "VM", "/private/var/vm", 2147500032}},
                 false);
}

void intel1012Hfs(SimState& state) {
    constexpr qint64 kDiskSize = 500107862016;
    constexpr qint64 kRecoverySize = 650002432;
    Disk disk = internalDisk(state, "SATA", kDiskSize, false, "APPLE HDD ST500LM012");
    addEfi(disk, state);
    Volume& root =
        addPartition(disk, state, "Apple_HFS", kDiskSize - kEfiSize - kRecoverySize - kGptOverhead);
    root.fileSystem = QStringLiteral("jhfs");
    root.name = QStringLiteral("Macintosh HD");
    root.uuid = state.newUuid();
    root.mountPoint = QStringLiteral("/");
    root.usedBytes = 80000000000;
    state.rootVolume = root.id;
    Volume& recovery = addPartition(disk, state, "Apple_Boot", kRecoverySize);
    recovery.fileSystem = QStringLiteral("jhfs");
    recovery.name = QStringLiteral("Recovery HD");
    recovery.uuid = state.newUuid();
    state.disks.append(disk);
}

const std::array<MacSpec, 4> kMacs{{
    {"apple-silicon-13", "macOS", "13.4", "22F66", "Apple M1", true, &appleSilicon13},
    {"intel-12", "macOS", "12.6", "21G115", "Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz", false, &intel12},
    {"intel-10.14", "Mac OS X", "10.14.6", "18G103", "Intel(R) Core(TM) i5-7360U CPU @ 2.30GHz", false,
     &intel1014},
    {"intel-10.12-hfs", "Mac OS X", "10.12.6", "16G29", "Intel(R) Core(TM) i5-4278U CPU @ 2.60GHz", false,
     &intel1012Hfs},
}};

bool writeFile(const QString& macPath, const QByteArray& content) {
    const qsizetype slash = macPath.lastIndexOf(QLatin1Char('/'));
    return FileSystem::mkpath(macPath.left(slash)) && FileSystem::writeAtomically(macPath, content);
}

QByteArray plist(const QVariantMap& map) {
    return platform::PropertyList::toXml(map);
}

QString userName() {
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() || user.contains(QLatin1Char('/')) ? QStringLiteral("user") : user;
}

bool writeSystemFiles(const MacSpec& mac) {
    const QVariantMap version{{QStringLiteral("ProductName"), QLatin1String(mac.productName)},
                              {QStringLiteral("ProductVersion"), QLatin1String(mac.version)},
                              {QStringLiteral("ProductBuildVersion"), QLatin1String(mac.build)}};
    bool ok = writeFile(SimPaths::systemVersion(), plist(version)) &&
              writeFile(QStringLiteral("/System/Library/Kernels/kernel"), QByteArray(4096, '\x7f')) &&
              writeFile(SimPaths::machine(),
                        plist({{QStringLiteral("machdep.cpu.brand_string"), QLatin1String(mac.cpu)}}));
    if (mac.cryptexes) {
        const QString cryptexes = QStringLiteral("/System/Volumes/Preboot/Cryptexes");
        ok = ok &&
             writeFile(cryptexes + QStringLiteral("/OS/System/Library/dyld/dyld_shared_cache_arm64e"),
                       QByteArray(8192, '\x2a')) &&
             writeFile(cryptexes + QStringLiteral("/App/System/Applications/Safari.app/Contents/Info.plist"),
                       plist({{QStringLiteral("CFBundleName"), QStringLiteral("Safari")}}));
    }
    return ok;
}

bool writeUserFiles() {
    const QString home = QStringLiteral("/Users/") + userName();
    return FileSystem::mkpath(QStringLiteral("/Users/Shared")) &&
           FileSystem::mkpath(QStringLiteral("/Library/Preferences")) &&
           FileSystem::mkpath(QStringLiteral("/Applications/Utilities")) &&
           writeFile(home + QStringLiteral("/Desktop/notes.txt"), "Things to copy\n") &&
           writeFile(home + QStringLiteral("/Documents/report.txt"), "Quarterly report\n") &&
           writeFile(QStringLiteral("/Applications/Safari.app/Contents/Info.plist"),
                     plist({{QStringLiteral("CFBundleName"), QStringLiteral("Safari")}}));
}

// "/Volumes" holds "Macintosh HD" as a link to "/", as on macOS; every volume gets its content folder: its
// mount point, or its store folder while it is not mounted (Recovery, the sealed System, EFI).
bool writeVolumeFolders(const SimState& state) {
    bool ok = FileSystem::mkpath(QStringLiteral("/Volumes")) &&
              QFile::link(QStringLiteral(".."), SimPaths::host(QStringLiteral("/Volumes/Macintosh HD")));
    for (const QString& id : state.nodeIds()) {
        const Volume& volume = *state.node(id).volume;
        if (volume.isMounted()) {
            ok = ok && FileSystem::mkpath(volume.mountPoint);
        } else if (volume.hasFileSystem()) {
            ok = ok && FileSystem::mkpath(SimPaths::store(volume.uuid));
        }
    }
    return ok;
}

const MacSpec* find(const QString& name) {
    for (const MacSpec& mac : kMacs) {
        if (name == QLatin1String(mac.name)) {
            return &mac;
        }
    }
    return nullptr;
}

}  // namespace

QStringList MacPreset::names() {
    QStringList names;
    for (const MacSpec& mac : kMacs) {
        names.append(QLatin1String(mac.name));
    }
    return names;
}

bool MacPreset::install(const QString& name) {
    const MacSpec* mac = find(name);
    if (mac == nullptr || !FileSystem::mkpath(SimPaths::folder())) {
        return false;
    }
    SimState state;
    mac->layout(state);
    return writeVolumeFolders(state) && writeSystemFiles(*mac) && writeUserFiles() &&
           FileSystem::writeAtomically(SimPaths::events(), {}) &&
           FileSystem::writeAtomically(SimPaths::calls(), {}) && StateTransaction::write(state);
}

}  // namespace simmac
