#include "services/disks/DiskUtilCommands.h"

namespace disk {

namespace {

platform::ToolCommand diskutil(QStringList arguments) {
    return {DiskUtilCommands::kDiskUtil, std::move(arguments)};
}

QString bytes(quint64 size) {
    return QString::number(size) + u'B';
}

}  // namespace

platform::ToolCommand DiskUtilCommands::list() {
    return diskutil({"list", "-plist"});
}

platform::ToolCommand DiskUtilCommands::list(const QString& device) {
    return diskutil({"list", "-plist", device});
}

platform::ToolCommand DiskUtilCommands::info(const QString& device) {
    return diskutil({"info", "-plist", device});
}

platform::ToolCommand DiskUtilCommands::mount(const QString& identifier) {
    return diskutil({"mount", identifier});
}

platform::ToolCommand DiskUtilCommands::unmount(const QString& identifier) {
    return diskutil({"unmount", identifier});
}

platform::ToolCommand DiskUtilCommands::eject(const QString& diskUUID) {
    return diskutil({"eject", diskUUID});
}

platform::ToolCommand DiskUtilCommands::mountDisk(const QString& deviceNode) {
    return diskutil({"mountDisk", deviceNode});
}

platform::ToolCommand DiskUtilCommands::unmountDisk(const QString& deviceNode) {
    return diskutil({"unmountDisk", deviceNode});
}

platform::ToolCommand DiskUtilCommands::rename(const QString& identifier, const QString& name) {
    return diskutil({"rename", identifier, name});
}

platform::ToolCommand DiskUtilCommands::eraseVolume(const QString& fileSystem, const QString& name,
                                                    const QString& deviceNode) {
    return diskutil({"eraseVolume", fileSystem, name, deviceNode});
}

platform::ToolCommand DiskUtilCommands::reformat(const QString& identifier) {
    return diskutil({"reformat", identifier});
}

platform::ToolCommand DiskUtilCommands::eraseDisk(const QString& fileSystem, const QString& name,
                                                  const QString& disk) {
    return diskutil({"eraseDisk", fileSystem, name, disk});
}

platform::ToolCommand DiskUtilCommands::resizeVolume(const QString& identifier, quint64 size,
                                                     const QString& fileSystem, const QString& name,
                                                     quint64 newSize) {
    return diskutil({"resizeVolume", identifier, bytes(size), fileSystem, name, bytes(newSize)});
}

platform::ToolCommand DiskUtilCommands::verifyvolume(const QString& volumePath) {
    return diskutil({"verifyvolume", volumePath});
}

platform::ToolCommand DiskUtilCommands::repairvolume(const QString& volumePath) {
    return diskutil({"repairvolume", volumePath});
}

bool DiskUtilCommands::isErrorDocument(const QVariantMap& plist) {
    return plist.value(QStringLiteral("Error")).toBool();
}

bool DiskUtilCommands::isLookup(const platform::ToolCommand& command) {
    const bool diskutil = command.program == kDiskUtil || command.program == u"diskutil";
    const QString verb = command.arguments.value(0);
    return diskutil && (verb == u"list" || verb == u"info");
}

}  // namespace disk
