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

// Binary property lists: walks the object graph without recursion and refuses deep or cyclic nesting,
// which libplist would otherwise follow recursively.
class BinaryDepthCheck {
public:
    explicit BinaryDepthCheck(const QByteArray& bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.constData())),
          size_(static_cast<quint64>(bytes.size())) {}

    bool within(int limit) {
        if (size_ < 40) {
            return false;
        }
        const unsigned char* trailer = data_ + size_ - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        objectCount_ = readBE(trailer + 8, 8);
        const quint64 top = readBE(trailer + 16, 8);
        tableOffset_ = readBE(trailer + 24, 8);
        if (offsetSize_ == 0 || offsetSize_ > 8 || refSize_ == 0 || refSize_ > 8 || objectCount_ == 0 ||
            top >= objectCount_ || tableOffset_ >= size_ ||
            objectCount_ > (size_ - tableOffset_) / offsetSize_) {
            return false;
        }
        struct Frame {
            std::vector<quint64> children;
            size_t next = 0;
        };
        std::vector<Frame> stack;
        std::vector<bool> onPath(static_cast<size_t>(objectCount_), false);
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
        if (!enter(top)) {
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
            if (child >= objectCount_ || !enter(child)) {
                return false;
            }
        }
        return true;
    }

private:
    quint64 readBE(const unsigned char* p, unsigned width) const {
        quint64 v = 0;
        for (unsigned i = 0; i < width; ++i) {
            v = (v << 8) | p[i];
        }
        return v;
    }

    bool childrenOf(quint64 object, std::vector<quint64>& out) const {
        const quint64 entry = tableOffset_ + object * offsetSize_;
        if (entry + offsetSize_ > size_) {
            return false;
        }
        quint64 at = readBE(data_ + entry, offsetSize_);
        if (at >= size_ - 32) {
            return false;
        }
        const unsigned char marker = data_[at++];
        const unsigned kind = marker >> 4;
        const bool isArrayOrSet = kind == 0xA || kind == 0xC;
        if (!isArrayOrSet && kind != 0xD) {
            return true;  // a scalar
        }
        quint64 count = marker & 0x0F;
        if (count == 0x0F) {
            if (at >= size_ || (data_[at] >> 4) != 0x1) {
                return false;
            }
            const unsigned width = 1u << (data_[at] & 0x0F);
            if (width > 8 || at + 1 + width > size_) {
                return false;
            }
            count = readBE(data_ + at + 1, width);
            at += 1 + width;
        }
        const quint64 refs = kind == 0xD ? count * 2 : count;
        if (count > size_ || refs > (size_ - at) / refSize_) {
            return false;
        }
        out.reserve(static_cast<size_t>(refs));
        for (quint64 i = 0; i < refs; ++i) {
            out.push_back(readBE(data_ + at + i * refSize_, refSize_));
        }
        return true;
    }

    const unsigned char* data_;
    quint64 size_;
    unsigned offsetSize_ = 0;
    unsigned refSize_ = 0;
    quint64 objectCount_ = 0;
    quint64 tableOffset_ = 0;
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
        case PLIST_STRING:
        case PLIST_KEY: {
            char* s = nullptr;
            plist_get_string_val(node, &s);
            QString text = s ? QString::fromUtf8(s) : QString();
            std::free(s);
            return QVariant(text);
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
    const auto length = static_cast<uint32_t>(bytes.size());
    const bool binary = plist_is_binary(bytes.constData(), length) != 0;
    if (binary ? !BinaryDepthCheck(bytes).within(kMaxDepth) : !xmlDepthWithin(bytes, kMaxDepth)) {
        qCDebug(lcPlatform) << "property list refused: nested too deeply or malformed";
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), length, &root);
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
