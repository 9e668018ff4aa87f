#pragma once

#include "simmac/state/SimState.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace simmac {

// Attaching an image file as a disk and detaching it again. Attaching unpacks the files into the volume's
// folder; detaching packs them back into the file and removes the disk. Unpacking and packing happen
// outside the state lock.
class ImageDisk {
public:
    enum class Failure { Missing, NotRecognized, Unwritable };

    // The image disk of the file, attaching it when it is not attached yet. Nothing (with the reason) when
    // the file is missing or not an image.
    static std::optional<QString> attach(const QString& imagePath, Failure& failure);
    // Looks at the state under the lock, right before a disk is removed, and refuses the removal by
    // throwing ToolExit: what the caller checked earlier may have changed since.
    using Check = std::function<void(const SimState&)>;

    // Packs the volume's files into the image and removes the disk with its events. False when the image
    // cannot be written; the disk then stays as it was.
    static bool detach(const QString& diskId, const Check& check);
    // Ejects a whole disk: an image goes back into its file, any other disk to "Detached". False when
    // nothing changed.
    static bool eject(const QString& diskId, const Check& check);
    // The lines `hdiutil attach` prints for an attached disk: each device padded to 20 characters, its
    // content hint padded or cut to 31, and its mount point.
    static QStringList entities(const SimState& state, const QString& diskId);
};

}  // namespace simmac
