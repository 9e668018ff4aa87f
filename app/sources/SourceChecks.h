#pragma once

#include "services/disks/VolumeObj.h"
#include "services/files/FileNode.h"

#include <QString>

// What the source and destination screens check before they let a job go: the same volume on both sides, a
// source that holds the destination, a source that has gone.
namespace sources {

// The two records name one volume: their paths are equal once links are resolved ("/Volumes/Macintosh HD"
// is "/"). The disk picker makes new records at every opening, so records are never compared as objects.
bool isSameVolume(const VolumeObj& a, const VolumeObj& b);

// A checked item of `roots` is `path` or holds it (links resolved): copying the roots into `path` would
// copy into itself. A partly checked folder counts through its checked children only.
bool holdsPath(const FileNodeList& roots, const QString& path);

// The volume is still mounted where its record says.
bool isPresent(const VolumeObj& volume);

}  // namespace sources
