#pragma once

#include <QtGlobal>

// The space checks of the source and destination screens, as verdicts; each screen applies a verdict in
// its own way (what it does to its start button, whether it shows the dialog).
namespace sources {

// A screen's byte figures; -1 is unknown.
struct SpaceFigures {
    qint64 usedSize = -1;         // used on the source volume (the clone: on the system volume)
    qint64 freeSize = -1;         // free on the destination (the clone: the target's capacity)
    qint64 selectFilesSize = -1;  // the chosen set; 0 for a dropped set, -1 when the whole source is meant
    bool isDragValue = false;     // the source is a dropped set
    qint64 margin = 0;            // what the job adds on the destination to the bytes it copies
};

enum class SpaceVerdict { Unknown, Enough, TooSmall };

// After a source or a destination is chosen: the chosen set when there is one, else the source's used
// bytes, with the margin, against the destination's free bytes. Unknown while either volume is unknown.
SpaceVerdict checkSpace(const SpaceFigures& figures);

// After a set is chosen or dropped: the set with the margin against the destination's free bytes, once the
// destination is known and the source is a drop or a known volume; a whole source (no set) always fits here.
SpaceVerdict checkChosenSet(const SpaceFigures& figures);

}  // namespace sources
