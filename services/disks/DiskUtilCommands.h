#pragma once

#include "platform/ToolProcess.h"

#include <QString>
#include <QVariantMap>
#include <QtGlobal>

#include <chrono>

namespace disk {

// The command lines passed to Apple's disk utility, each an argument vector: a name or path given by
// the user or a tool reaches diskutil as one argument, whatever characters it holds.
class DiskUtilCommands {
public:
    static inline const QString kDiskUtil = QStringLiteral("/usr/sbin/diskutil");
    // Mount, unmount, eject and rename end within seconds on a healthy disk: one that has not answered in a
    // minute is not going to.
    static constexpr std::chrono::milliseconds kActionDeadline = std::chrono::minutes(1);

    static platform::ToolCommand list();
    static platform::ToolCommand list(const QString& device);
    static platform::ToolCommand info(const QString& device);
    static platform::ToolCommand mount(const QString& identifier);
    static platform::ToolCommand unmount(const QString& identifier);
    static platform::ToolCommand eject(const QString& diskUUID);
    static platform::ToolCommand mountDisk(const QString& deviceNode);
    static platform::ToolCommand unmountDisk(const QString& deviceNode);
    static platform::ToolCommand rename(const QString& identifier, const QString& name);
    static platform::ToolCommand eraseVolume(const QString& fileSystem, const QString& name,
                                             const QString& deviceNode);
    static platform::ToolCommand reformat(const QString& identifier);
    static platform::ToolCommand eraseDisk(const QString& fileSystem, const QString& name,
                                           const QString& disk);
    // The partition shrinks to `size` bytes and a new `fileSystem` volume of `newSize` bytes follows it.
    static platform::ToolCommand resizeVolume(const QString& identifier, quint64 size,
                                              const QString& fileSystem, const QString& name,
                                              quint64 newSize);
    static platform::ToolCommand verifyvolume(const QString& volumePath);
    static platform::ToolCommand repairvolume(const QString& volumePath);

    // diskutil answers an unknown device with {Error: true, ErrorMessage, ExitCode}: no information.
    static bool isErrorDocument(const QVariantMap& plist);
    // "list" and "info" only read; every other verb changes a disk.
    static bool isLookup(const platform::ToolCommand& command);
};

}  // namespace disk
