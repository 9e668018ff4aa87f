#include "services/jobs/ItemNames.h"

#include <QByteArray>

#include <algorithm>
#include <utility>

namespace jobs {
namespace {

bool isUtf8(std::string_view bytes) {
    const QByteArray raw = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromUtf8(raw).toUtf8() == raw;
}

// The length of the UTF-8 sequence a byte starts, by its leading bits; 1 for a byte no sequence starts with.
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    return lead >= 0xC0 ? 2 : 1;
}

}  // namespace

QString readablePath(std::string_view bytes) {
    QString readable;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::string_view sequence = bytes.substr(at, sequenceLength(lead));
        if (lead < 0x80 || (lead >= 0xC0 && isUtf8(sequence))) {
            readable += QString::fromUtf8(sequence.data(), static_cast<qsizetype>(sequence.size()));
            at += sequence.size();
        } else {
            readable += QStringLiteral("\\x") + QString::number(lead, 16).toUpper().rightJustified(2, u'0');
            ++at;
        }
    }
    return readable;
}

std::string nativeFolderPath(const FileNode& node) {
    std::vector<const FileNode*> chain;
    for (const FileNode* at = &node; at != nullptr; at = at->father()) {
        chain.push_back(at);
    }
    QString rootPath = chain.back()->path();
    while (rootPath.endsWith(QLatin1Char('/'))) {
        rootPath.chop(1);
    }
    std::string path =
        rootPath.left(std::max<qsizetype>(rootPath.lastIndexOf(QLatin1Char('/')), 0)).toUtf8().toStdString();
    for (auto it = chain.rbegin(); it + 1 != chain.rend(); ++it) {
        path.append(1, '/').append((*it)->nativeName());
    }
    return path;
}

std::string nativePath(const FileNode& node) {
    return nativeFolderPath(node).append(1, '/').append(node.nativeName());
}

std::vector<const FileNode*> chosenItems(const FileNodeList& roots) {
    std::vector<const FileNode*> chosen;
    std::vector<std::pair<const FileNodeList*, std::size_t>> lists{{&roots, 0}};
    while (!lists.empty()) {
        auto& [list, next] = lists.back();
        if (next == list->size()) {
            lists.pop_back();
            continue;
        }
        const FileNode& node = *list->at(next++);
        if (node.state() == FileNode::kChecked) {
            chosen.push_back(&node);
        } else if (node.state() == FileNode::kPartlyChecked) {
            lists.emplace_back(&node.children(), 0);
        }
    }
    return chosen;
}

QString itemNoToolCanBeGiven(const FileNodeList& roots) {
    for (const FileNode* item : chosenItems(roots)) {
        const std::string path = nativePath(*item);
        if (!isUtf8(path)) {
            return readablePath(path);
        }
    }
    return {};
}

}  // namespace jobs
