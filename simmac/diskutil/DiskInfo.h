#pragma once

#include "simmac/state/SimState.h"
#include "simmac/state/UsageMeter.h"

#include <QVariantMap>

namespace simmac {

// The dictionary `diskutil info -plist` prints for one node, with the keys and value types of the real tool
// for each kind of node (whole disk, partition, APFS store, container, APFS volume, sealed snapshot).
class DiskInfo {
public:
    DiskInfo(const SimState& state, UsageMeter& usage) : state_(state), usage_(usage) {}

    QVariantMap of(const QString& nodeId);
    // The error document for an unknown device.
    static QVariantMap notFound(const QString& argument);

private:
    void addDevice(QVariantMap& info, const Disk& disk) const;
    void addNode(QVariantMap& info, ConstNodeRef node) const;
    void addFileSystem(QVariantMap& info, ConstNodeRef node);
    void addApfsVolume(QVariantMap& info, const Disk& container, const Volume& volume);
    void addContainer(QVariantMap& info, const Disk& container);
    void addStoreAndRecovery(QVariantMap& info, ConstNodeRef node) const;

    const SimState& state_;
    UsageMeter& usage_;
};

}  // namespace simmac
