#include "platform/PropertyList.h"

#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <plist/plist.h>

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace platform {
namespace {

// Seconds between the Unix epoch and the property-list epoch (2001-01-01 UTC).
constexpr qint64 kMacEpochOffset = 978307200;

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

bool startsWithAt(const char* data, qsizetype size, qsizetype at, const char* word) {
    const auto len = static_cast<qsizetype>(std::strlen(word));
    return at + len <= size && std::memcmp(data + at, word, static_cast<size_t>(len)) == 0;
}

// XML nesting of <dict> and <array>, counted textually; overcounting only refuses odd input.
bool xmlDepthWithin(const QByteArray& bytes, int limit) {
    const char* d = bytes.constData();
    const qsizetype n = bytes.size();
    int depth = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i] != '<') {
            continue;
        }
        const bool closing = i + 1 < n && d[i + 1] == '/';
        const qsizetype nameAt = closing ? i + 2 : i + 1;
        qsizetype nameLen = 0;
        if (startsWithAt(d, n, nameAt, "dict")) {
            nameLen = 4;
        } else if (startsWithAt(d, n, nameAt, "array")) {
            nameLen = 5;
        } else {
            continue;
        }
        qsizetype j = nameAt + nameLen;
        if (j < n && d[j] != '>' && d[j] != '/' && d[j] != ' ' && d[j] != '\t' && d[j] != '\n' &&
            d[j] != '\r') {
            continue;  // another element whose name merely starts with "dict" or "array"
        }
        while (j < n && d[j] != '>') {
            ++j;
        }
        const bool selfClosing = j > 0 && j < n && d[j - 1] == '/';
        if (closing) {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (!selfClosing && ++depth > limit) {
            return false;
        }
    }
    return true;
}

quint64 readBE(const unsigned char* p, unsigned width) {
    quint64 v = 0;
    for (unsigned i = 0; i < width; ++i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// The last 32 bytes of a binary property list: where its offset table lies and how wide its numbers are.
struct BinaryTrailer {
    unsigned offsetSize = 0;
    unsigned refSize = 0;
    quint64 objectCount = 0;
    quint64 top = 0;
    quint64 tableOffset = 0;

    static std::optional<BinaryTrailer> read(const unsigned char* data, quint64 size) {
        if (size < 40) {
            return std::nullopt;
        }
        const unsigned char* t = data + size - 32;
        BinaryTrailer trailer{t[6], t[7], readBE(t + 8, 8), readBE(t + 16, 8), readBE(t + 24, 8)};
        if (trailer.offsetSize == 0 || trailer.offsetSize > 8 || trailer.refSize == 0 ||
            trailer.refSize > 8 || trailer.objectCount == 0 || trailer.top >= trailer.objectCount ||
            trailer.tableOffset >= size ||
            trailer.objectCount > (size - trailer.tableOffset) / trailer.offsetSize) {
            return std::nullopt;
        }
        return trailer;
    }

    // Where an object starts; nothing when the table entry or the object lies outside the data.
    std::optional<quint64> objectAt(const unsigned char* data, quint64 size, quint64 object) const {
        const quint64 entry = tableOffset + object * offsetSize;
        if (entry + offsetSize > size) {
            return std::nullopt;
        }
        const quint64 at = readBE(data + entry, offsetSize);
        return at < size - 32 ? std::optional(at) : std::nullopt;
    }
};

// An object's element count: the low nibble of its marker, or the integer after it when that is 0xF.
// `at` moves past the count; `countAt`/`countWidth` tell where a long count lies (width 0: in the marker).
struct ObjectCount {
    quint64 value = 0;
    quint64 countAt = 0;
    unsigned countWidth = 0;
};

std::optional<ObjectCount> readCount(const unsigned char* data, quint64 size, quint64& at) {
    ObjectCount count{static_cast<quint64>(data[at - 1] & 0x0F), 0, 0};
    if (count.value != 0x0F) {
        return count;
    }
    if (at >= size || (data[at] >> 4) != 0x1) {
        return std::nullopt;
    }
    const unsigned width = 1u << (data[at] & 0x0F);
    if (width > 8 || at + 1 + width > size) {
        return std::nullopt;
    }
    count = {readBE(data + at + 1, width), at + 1, width};
    at += 1 + width;
    return count;
}

// libplist aborts on a UTF-16 string or key holding U+0000; such a string is cut there instead, by
// shortening its count in place.
void cutUtf16StringsAtNul(QByteArray& bytes) {
    auto* data = reinterpret_cast<unsigned char*>(bytes.data());
    const auto size = static_cast<quint64>(bytes.size());
    const auto trailer = BinaryTrailer::read(data, size);
    if (!trailer) {
        return;
    }
    for (quint64 object = 0; object < trailer->objectCount; ++object) {
        const auto start = trailer->objectAt(data, size, object);
        if (!start || (data[*start] >> 4) != 0x6) {
            continue;
        }
        quint64 at = *start + 1;
        const auto count = readCount(data, size, at);
        if (!count) {
            continue;
        }
        for (quint64 unit = 0; unit < count->value && at + 2 * unit + 1 < size; ++unit) {
            if (data[at + 2 * unit] == 0 && data[at + 2 * unit + 1] == 0) {
                if (count->countWidth == 0) {
                    data[*start] = static_cast<unsigned char>(0x60 | unit);
                } else {
                    for (unsigned b = 0; b < count->countWidth; ++b) {
                        data[count->countAt + b] =
                            static_cast<unsigned char>(unit >> (8 * (count->countWidth - 1 - b)));
                    }
                }
                break;
            }
        }
    }
}

// XML cannot hold a NUL character: the text from one up to the next element is dropped, which cuts a
// string or key at the NUL and leaves a NUL inside markup to fail the parse.
QByteArray cutXmlTextAtNul(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype from = 0;
    for (qsizetype nul = bytes.indexOf('\0'); nul >= 0; nul = bytes.indexOf('\0', from)) {
        out.append(bytes.constData() + from, nul - from);
        from = bytes.indexOf('<', nul);
        if (from < 0) {
            return out;
        }
    }
    out.append(bytes.constData() + from, bytes.size() - from);
    return out;
}

// Binary property lists: walks the object graph without recursion and refuses deep or cyclic nesting,
// which libplist would otherwise follow recursively.
class BinaryDepthCheck {
public:
    explicit BinaryDepthCheck(const QByteArray& bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.constData())),
          size_(static_cast<quint64>(bytes.size())) {}

    bool within(int limit) {
        const auto trailer = BinaryTrailer::read(data_, size_);
        if (!trailer) {
            return false;
        }
        trailer_ = *trailer;
        struct Frame {
            std::vector<quint64> children;
            size_t next = 0;
        };
        std::vector<Frame> stack;
        std::vector<bool> onPath(static_cast<size_t>(trailer_.objectCount), false);
        std::vector<quint64> path;
        auto enter = [&](quint64 object) -> bool {
            if (onPath[object] || static_cast<int>(stack.size()) >= limit) {
                return false;
            }
            Frame frame;
            if (!childrenOf(object, frame.children)) {
                return false;
            }
            onPath[object] = true;
            path.push_back(object);
            stack.push_back(std::move(frame));
            return true;
        };
        if (!enter(trailer_.top)) {
            return false;
        }
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.children.size()) {
                onPath[path.back()] = false;
                path.pop_back();
                stack.pop_back();
                continue;
            }
            const quint64 child = frame.children[frame.next++];
            if (child >= trailer_.objectCount || !enter(child)) {
                return false;
            }
        }
        return true;
    }

private:
    bool childrenOf(quint64 object, std::vector<quint64>& out) const {
        const auto start = trailer_.objectAt(data_, size_, object);
        if (!start) {
            return false;
        }
        const unsigned kind = data_[*start] >> 4;
        const bool isArrayOrSet = kind == 0xA || kind == 0xC;
        if (!isArrayOrSet && kind != 0xD) {
            return true;  // a scalar
        }
        quint64 at = *start + 1;
        const auto count = readCount(data_, size_, at);
        if (!count) {
            return false;
        }
        const quint64 refSize = trailer_.refSize;
        const quint64 refs = kind == 0xD ? count->value * 2 : count->value;
        if (count->value > size_ || refs > (size_ - at) / refSize) {
            return false;
        }
        out.reserve(static_cast<size_t>(refs));
        for (quint64 i = 0; i < refs; ++i) {
            out.push_back(readBE(data_ + at + i * refSize, trailer_.refSize));
        }
        return true;
    }

    const unsigned char* data_;
    quint64 size_;
    BinaryTrailer trailer_;
};

std::optional<QVariant> toVariant(plist_t node, int depth);

std::optional<QVariant> dictToVariant(plist_t node, int depth) {
    QVariantMap map;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    if (it == nullptr) {
        return std::nullopt;
    }
    std::optional<QVariant> result = QVariant();
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (key == nullptr) {
            break;
        }
        const QString name = QString::fromUtf8(key);
        std::free(key);
        auto converted = toVariant(value, depth + 1);
        if (!converted) {
            result.reset();
            break;
        }
        map.insert(name, *converted);
    }
    std::free(it);
    if (result) {
        result = QVariant(map);
    }
    return result;
}

std::optional<QVariant> arrayToVariant(plist_t node, int depth) {
    QVariantList list;
    const uint32_t count = plist_array_get_size(node);
    list.reserve(static_cast<qsizetype>(count));
    for (uint32_t i = 0; i < count; ++i) {
        auto converted = toVariant(plist_array_get_item(node, i), depth + 1);
        if (!converted) {
            return std::nullopt;
        }
        list.append(*converted);
    }
    return QVariant(list);
}

std::optional<QVariant> toVariant(plist_t node, int depth) {
    if (node == nullptr || depth > PropertyList::kMaxDepth) {
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t v = 0;
            plist_get_bool_val(node, &v);
            return QVariant(v != 0);
        }
        case PLIST_UINT:
        case PLIST_UID: {
            uint64_t v = 0;
            if (plist_get_node_type(node) == PLIST_UID) {
                plist_get_uid_val(node, &v);
            } else {
                plist_get_uint_val(node, &v);
            }
            // libplist keeps negative integers as their two's complement.
            return QVariant(static_cast<qlonglong>(v));
        }
        case PLIST_REAL: {
            double v = 0;
            plist_get_real_val(node, &v);
            return QVariant(v);
        }
        case PLIST_STRING: {
            // The pointer form, unlike the copying one, does not assert on a length that a NUL cut short.
            const char* text = plist_get_string_ptr(node, nullptr);
            return QVariant(text != nullptr ? QString::fromUtf8(text) : QString());
        }
        case PLIST_DATA: {
            char* bytes = nullptr;
            uint64_t length = 0;
            plist_get_data_val(node, &bytes, &length);
            QByteArray data(bytes, static_cast<qsizetype>(length));
            std::free(bytes);
            return QVariant(data);
        }
        case PLIST_DATE: {
            int32_t sec = 0;
            int32_t usec = 0;
            plist_get_date_val(node, &sec, &usec);
            const qint64 ms = (static_cast<qint64>(sec) + kMacEpochOffset) * 1000 + usec / 1000;
            return QVariant(QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()));
        }
        case PLIST_DICT:
            return dictToVariant(node, depth);
        case PLIST_ARRAY:
            return arrayToVariant(node, depth);
        default:
            return std::nullopt;
    }
}

plist_t fromVariant(const QVariant& value, int depth) {
    if (depth > PropertyList::kMaxDepth) {
        return nullptr;
    }
    switch (value.typeId()) {
        case QMetaType::Bool:
            return plist_new_bool(value.toBool() ? 1 : 0);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
        case QMetaType::ULongLong:
            return plist_new_uint(value.toULongLong());
        case QMetaType::Double:
        case QMetaType::Float:
            return plist_new_real(value.toDouble());
        case QMetaType::QString:
            return plist_new_string(value.toString().toUtf8().constData());
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            return plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size()));
        }
        case QMetaType::QDateTime: {
            const qint64 ms = value.toDateTime().toMSecsSinceEpoch() - kMacEpochOffset * 1000;
            const qint64 sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
            return plist_new_date(static_cast<int32_t>(sec), static_cast<int32_t>((ms - sec * 1000) * 1000));
        }
        case QMetaType::QVariantMap: {
            PlistPtr dict(plist_new_dict());
            const QVariantMap map = value.toMap();
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                plist_t item = fromVariant(it.value(), depth + 1);
                if (item == nullptr) {
                    return nullptr;
                }
                plist_dict_set_item(static_cast<plist_t>(dict.get()), it.key().toUtf8().constData(), item);
            }
            return static_cast<plist_t>(dict.release());
        }
        case QMetaType::QVariantList:
        case QMetaType::QStringList: {
            PlistPtr array(plist_new_array());
            const QVariantList list = value.toList();
            for (const QVariant& element : list) {
                plist_t item = fromVariant(element, depth + 1);
                if (item == nullptr) {
                    return nullptr;
                }
                plist_array_append_item(static_cast<plist_t>(array.get()), item);
            }
            return static_cast<plist_t>(array.release());
        }
        default:
            return nullptr;
    }
}

}  // namespace

std::optional<QVariant> PropertyList::fromBytes(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    const bool binary = plist_is_binary(bytes.constData(), static_cast<uint32_t>(bytes.size())) != 0;
    if (binary ? !BinaryDepthCheck(bytes).within(kMaxDepth) : !xmlDepthWithin(bytes, kMaxDepth)) {
        qCDebug(lcPlatform) << "property list refused: nested too deeply or malformed";
        return std::nullopt;
    }
    QByteArray safe = binary ? bytes : cutXmlTextAtNul(bytes);
    if (binary) {
        cutUtf16StringsAtNul(safe);
    }
    plist_t root = nullptr;
    plist_from_memory(safe.constData(), static_cast<uint32_t>(safe.size()), &root);
    if (root == nullptr) {
        return std::nullopt;
    }
    PlistPtr owner(root);
    return toVariant(root, 0);
}

std::optional<QVariant> PropertyList::fromFile(const QString& macPath) {
    const auto host = hostPath(macPath);
    return host ? fromHostFile(*host) : std::nullopt;
}

std::optional<QVariant> PropertyList::fromHostFile(const QString& hostPath) {
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return fromBytes(file.readAll());
}

std::optional<QVariantMap> PropertyList::dictionaryFromBytes(const QByteArray& bytes) {
    auto value = fromBytes(bytes);
    if (!value || value->typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    return value->toMap();
}

std::optional<QVariantMap> PropertyList::dictionaryFromFile(const QString& macPath) {
    auto value = fromFile(macPath);
    if (!value || value->typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    return value->toMap();
}

QByteArray PropertyList::toXml(const QVariant& value) {
    PlistPtr root(fromVariant(value, 0));
    if (!root) {
        return {};
    }
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(root.get()), &xml, &length);
    QByteArray out(xml, static_cast<qsizetype>(length));
    plist_to_xml_free(xml);
    return out;
}

bool PropertyList::writeXmlFile(const QString& macPath, const QVariant& value) {
    const QByteArray xml = toXml(value);
    return !xml.isEmpty() && FileSystem::writeAtomically(macPath, xml);
}

}  // namespace platform
