// Any bytes as asr's output, handed over in pieces whose sizes the first byte chooses: the same events
// come out as when the whole output arrives at once.
#include "fuzz/FuzzTarget.h"

#include "services/jobs/AsrOutputParser.h"

#include <QByteArray>

#include <cstdlib>
#include <vector>

namespace {

using Events = std::vector<jobs::AsrOutputParser::Event>;

Events parse(const QByteArray& text, qsizetype piece) {
    jobs::AsrOutputParser parser;
    Events events;
    for (qsizetype at = 0; at < text.size(); at += piece) {
        const Events some = parser.feed(text.mid(at, piece));
        events.insert(events.end(), some.begin(), some.end());
    }
    const Events rest = parser.finish();
    events.insert(events.end(), rest.begin(), rest.end());
    return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const qsizetype piece = data[0] % 16 + 1;
    const QByteArray text(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    if (parse(text, piece) != parse(text, text.size() + 1)) {
        std::abort();
    }
    return 0;
}
