#pragma once

#include <QString>

namespace bootable {

// After a clone on Apple silicon or macOS 13 and later: copies the running system's cryptexes
// ("/System/Volumes/Preboot/Cryptexes") onto the Preboot volume of the APFS container on the cloned whole
// disk `targetDisk` ("disk4"), after mounting it. The copy goes only to the mount point that this Preboot
// volume reports once mounted, never to a fixed "/Volumes/Preboot" that another drive's Preboot may hold;
// without one it is skipped. The volumes of the disk that the repair mounted are unmounted again at its end.
// Every step that fails is logged, and the repair then stops quietly.
//
// Blocks on diskutil and cp: for the global queue.
void repairPreboot(const QString& targetDisk);

}  // namespace bootable
