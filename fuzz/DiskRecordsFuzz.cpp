// Any bytes as diskutil's "list -plist" or "info -plist" answer: the records the screens build from it.
#include "fuzz/FuzzTarget.h"

#include "platform/PropertyList.h"
#include "services/disks/CVolumeMgr.h"
#include "services/disks/VolumeObj.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto dictionary = platform::PropertyList::dictionaryFromBytes(bytes);
    if (!dictionary) {
        return 0;
    }
    disk::diskTree(*dictionary);
    CVolumeMgr manager;
    volumeObjFromVolumeInfo(manager.MakeVolumeInfo(*dictionary));
    return 0;
}
