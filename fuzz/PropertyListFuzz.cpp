// Any bytes, as diskutil's or hdiutil's output: read as a property list, written back and read again.
#include "fuzz/FuzzTarget.h"

#include "platform/PropertyList.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto value = platform::PropertyList::fromBytes(bytes);
    if (!value) {
        return 0;
    }
    const QByteArray xml = platform::PropertyList::toXml(*value);
    // Whatever was read can be written and read again.
    if (!xml.isEmpty() && !platform::PropertyList::fromBytes(xml)) {
        std::abort();
    }
    return 0;
}
