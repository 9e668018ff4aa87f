#include "simmac/state/SimState.h"

#include <algorithm>

namespace simmac {
namespace {

// Deterministic, well-spread 64-bit values from a counter (splitmix64).
quint64 mix(quint64 x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

QString hex(quint64 value, int digits) {
    return QString::number(value, 16).rightJustified(digits, QLatin1Char('0')).right(digits).toUpper();
}

template <typename State, typename Ref>
Ref findNode(State& state, const QString& id) {
    for (auto& d : state.disks) {
        if (d.whole.id == id) {
            return {&d, &d.whole};
        }
        for (auto& v : d.children()) {
            if (v.id == id) {
                return {&d, &v};
            }
        }
    }
    return {};
}

template <typename State, typename DiskT>
DiskT* findDisk(State& state, const QString& id) {
    for (auto& d : state.disks) {
        if (d.id() == id) {
            return &d;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<SimState> SimState::fromMap(const QVariantMap& map) {
    if (map.value(QStringLiteral("SchemaVersion")).toInt() != kSchemaVersion) {
        return std::nullopt;
    }
    SimState s;
    s.nextDiskNumber = map.value(QStringLiteral("NextDiskNumber")).toInt();
    s.nextEventSeq = map.value(QStringLiteral("NextEventSeq"), 1).toLongLong();
    s.nextUuid = map.value(QStringLiteral("NextUUID"), 1).toLongLong();
    s.nextCallSeq = map.value(QStringLiteral("NextCallSeq"), 1).toLongLong();
    s.rootVolume = map.value(QStringLiteral("RootVolume")).toString();
    for (const QVariant& item : map.value(QStringLiteral("Disks")).toList()) {
        s.disks.append(Disk::fromMap(item.toMap()));
    }
    for (const QVariant& item : map.value(QStringLiteral("Detached")).toList()) {
        const QVariantMap entry = item.toMap();
        DetachedDisk detached{Disk::fromMap(entry.value(QStringLiteral("Disk")).toMap()), {}};
        for (const QVariant& container : entry.value(QStringLiteral("Containers")).toList()) {
            detached.containers.append(Disk::fromMap(container.toMap()));
        }
        s.detached.append(detached);
    }
    return s;
}

QVariantMap SimState::toMap() const {
    QVariantList disksList;
    for (const Disk& d : disks) {
        disksList.append(d.toMap());
    }
    QVariantList detachedList;
    for (const DetachedDisk& entry : detached) {
        QVariantList containers;
        for (const Disk& c : entry.containers) {
            containers.append(c.toMap());
        }
        detachedList.append(QVariantMap{{QStringLiteral("Disk"), entry.disk.toMap()},
                                        {QStringLiteral("Containers"), containers}});
    }
    return {
        {QStringLiteral("SchemaVersion"), kSchemaVersion},
        {QStringLiteral("NextDiskNumber"), nextDiskNumber},
        {QStringLiteral("NextEventSeq"), nextEventSeq},
        {QStringLiteral("NextUUID"), nextUuid},
        {QStringLiteral("NextCallSeq"), nextCallSeq},
        {QStringLiteral("RootVolume"), rootVolume},
        {QStringLiteral("Disks"), disksList},
        {QStringLiteral("Detached"), detachedList},
    };
}

NodeRef SimState::node(const QString& id) {
    return findNode<SimState, NodeRef>(*this, id);
}

ConstNodeRef SimState::node(const QString& id) const {
    return findNode<const SimState, ConstNodeRef>(*this, id);
}

Disk* SimState::disk(const QString& id) {
    return findDisk<SimState, Disk>(*this, id);
}

const Disk* SimState::disk(const QString& id) const {
    return findDisk<const SimState, const Disk>(*this, id);
}

const Disk* SimState::containerOnStore(const QString& storeId) const {
    for (const Disk& d : disks) {
        if (d.isContainer() && d.physicalStore == storeId) {
            return &d;
        }
    }
    return nullptr;
}

QStringList SimState::containersOn(const QString& diskId) const {
    QStringList ids;
    const Disk* d = disk(diskId);
    if (d == nullptr || d->isContainer()) {
        return ids;
    }
    for (const Volume& p : d->partitions) {
        if (const Disk* c = containerOnStore(p.id)) {
            ids.append(c->id());
        }
    }
    return ids;
}

QString SimState::wholeDiskOf(const QString& nodeId) const {
    const ConstNodeRef ref = node(nodeId);
    return ref ? ref.disk->id() : QString();
}

QString SimState::physicalDiskOf(const QString& nodeId) const {
    QString id = wholeDiskOf(nodeId);
    for (int hops = 0; hops < 8;
         ++hops) {  // a store never lies on a container; the bound only guards bad state
        const Disk* d = disk(id);
        if (d == nullptr || !d->isContainer()) {
            return id;
        }
        id = wholeDiskOf(d->physicalStore);
    }
    return id;
}

QStringList SimState::nodeIds() const {
    QStringList ids;
    for (const Disk& d : disks) {
        ids.append(d.id());
        for (const Volume& v : d.children()) {
            ids.append(v.id);
        }
    }
    return ids;
}

QString SimState::newDiskId() {
    return QStringLiteral("disk") + QString::number(nextDiskNumber++);
}

QString SimState::newUuid() {
    const quint64 a = mix(static_cast<quint64>(nextUuid++));
    const quint64 b = mix(a);
    return hex(a >> 32, 8) + QLatin1Char('-') + hex(a >> 16, 4) + QLatin1Char('-') +
           hex(0x4000 | (a & 0x0FFF), 4) + QLatin1Char('-') + hex(0x8000 | ((b >> 48) & 0x3FFF), 4) +
           QLatin1Char('-') + hex(b, 12);
}

void SimState::insertDisk(Disk disk) {
    const int number = diskNumber(disk.id());
    const auto at =
        std::find_if(disks.begin(), disks.end(), [&](const Disk& d) { return diskNumber(d.id()) > number; });
    disks.insert(at, std::move(disk));
}

void SimState::removeDisk(const QString& id) {
    disks.removeIf([&](const Disk& d) { return d.id() == id; });
}

int SimState::diskNumber(const QString& id) {
    int end = 4;
    while (end < id.size() && id.at(end).isDigit()) {
        ++end;
    }
    return id.mid(4, end - 4).toInt();
}

}  // namespace simmac
