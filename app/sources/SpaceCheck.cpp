#include "app/sources/SpaceCheck.h"

namespace sources {

SpaceVerdict checkSpace(const SpaceFigures& figures) {
    if (figures.usedSize == -1 || figures.freeSize == -1) {
        return SpaceVerdict::Unknown;
    }
    const qint64 needed = figures.selectFilesSize != -1 ? figures.selectFilesSize : figures.usedSize;
    return needed + figures.margin <= figures.freeSize ? SpaceVerdict::Enough : SpaceVerdict::TooSmall;
}

SpaceVerdict checkChosenSet(const SpaceFigures& figures) {
    const bool known = figures.freeSize != -1 && (figures.isDragValue || figures.usedSize != -1);
    if (!known) {
        return SpaceVerdict::Unknown;
    }
    if (figures.selectFilesSize == -1) {
        return SpaceVerdict::Enough;
    }
    return figures.selectFilesSize + figures.margin <= figures.freeSize ? SpaceVerdict::Enough
                                                                        : SpaceVerdict::TooSmall;
}

}  // namespace sources
