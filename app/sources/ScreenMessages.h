#pragma once

#include <QString>

// The refusals that the source and destination screens show in the error dialog.
namespace sources {

inline const QString kSameVolumeMessage =
    QStringLiteral("You can’t select the source drive as the destination drive, just select another drive.");
inline const QString kInsufficientSpaceMessage =
    QStringLiteral("Insufficient disk space on this destination drive, please select another drive.");
inline const QString kUnpluggedMessage =
    QStringLiteral("USB device unplugged, Please reconnect the device and try again.");

}  // namespace sources
