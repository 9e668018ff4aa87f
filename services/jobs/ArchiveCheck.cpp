#include "services/jobs/ArchiveCheck.h"

#include "services/files/FileNode.h"
#include "services/jobs/ItemNames.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace jobs {
namespace {

const QByteArray kAdding = QByteArrayLiteral("  adding: ");
const QByteArray kStoredMark = QByteArrayLiteral(" (");
constexpr std::size_t kMessagesKept = 1000;

bool isError(const QByteArray& line) {
    return line.startsWith("zip error:") || line.startsWith("zip I/O error:");
}

}  // namespace

ArchiveCheck::ArchiveCheck(platform::CancelFlag cancel) : walk_(*this, std::move(cancel)) {}

bool ArchiveCheck::expect(const FileNode& chosen) {
    std::optional<platform::Folder> folder = ItemWalk::openFolderHolding(chosen, failure_);
    if (!folder) {
        return false;
    }
    if (!naming_) {
        chosen_.push_back(&chosen);
    }
    atChosen_ = true;
    const bool walked = walk_.walk(*folder, nativeFolderPath(chosen), std::string(chosen.nativeName()));
    failure_ = walk_.failure();
    return walked;
}

int ArchiveCheck::expectEntry(const ItemWalk::Entry& entry, bool folder) {
    const bool chosenFolder = folder && atChosen_;
    atChosen_ = false;
    QByteArray name = QByteArray::fromStdString(entry.folderPath).mid(1);
    if (!name.isEmpty()) {
        name += '/';
    }
    name.append(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
    // zip opens each entry by its path: a longer one is never stored.
    if (name.size() + 1 >= PATH_MAX) {
        return ENAMETOOLONG;
    }
    if (folder) {
        name += '/';
    }
    if (!naming_) {
        count_ += chosenFolder ? 0 : 1;  // a chosen folder counts by the entries below it
        expected_.push_back(hashOf(name));
    } else if (unreported(name)) {
        leftOut_ = name;
        return ECANCELED;  // found: the walk ends here
    }
    return 0;
}

std::size_t ArchiveCheck::hashOf(const QByteArray& name) const {
    return qHash(name, QHashSeed::globalSeed());
}

void ArchiveCheck::sortOnce() {
    if (sorted_) {
        return;
    }
    std::sort(expected_.begin(), expected_.end());
    expected_.erase(std::unique(expected_.begin(), expected_.end()), expected_.end());
    reported_.assign(expected_.size(), false);
    sorted_ = true;
}

std::optional<std::size_t> ArchiveCheck::unreported(const QByteArray& name) {
    sortOnce();
    const std::size_t hash = hashOf(name);
    const auto at = std::lower_bound(expected_.begin(), expected_.end(), hash);
    const auto index = static_cast<std::size_t>(at - expected_.begin());
    if (at == expected_.end() || *at != hash || reported_[index]) {
        return std::nullopt;
    }
    return index;
}

int ArchiveCheck::visit(const ItemWalk::Entry& entry) {
    return expectEntry(entry, false);
}

int ArchiveCheck::enter(const ItemWalk::Entry& entry, platform::Folder& /*inner*/) {
    return expectEntry(entry, true);
}

void ArchiveCheck::take(const QByteArray& chunk) {
    partLine_ += chunk;
    qsizetype start = 0;
    for (qsizetype end = partLine_.indexOf('\n'); end >= 0; end = partLine_.indexOf('\n', start)) {
        takeLine(partLine_.mid(start, end - start));
        start = end + 1;
    }
    partLine_.remove(0, start);
}

// "  adding: <name> (stored 0%)": the name ends at the last " (" of the report.
bool ArchiveCheck::stored(const QByteArray& report) {
    const qsizetype mark = report.lastIndexOf(kStoredMark);
    const std::optional<std::size_t> index = mark >= 0 ? unreported(report.left(mark)) : std::nullopt;
    if (index) {
        reported_[*index] = true;
    }
    return index.has_value();
}

void ArchiveCheck::takeLine(const QByteArray& line) {
    if (openReport_) {
        openReport_->append('\n').append(line);
        if (stored(*openReport_)) {
            openReport_.reset();
            return;
        }
        if (openReport_->size() >= PATH_MAX) {
            openReport_.reset();
        }
    }
    if (line.startsWith(kAdding)) {
        const QByteArray report = line.mid(kAdding.size());
        if (!stored(report) && !openReport_) {
            openReport_ = report;
        }
    } else if ((line.contains("zip warning:") || isError(line)) && messages_.size() < kMessagesKept) {
        messages_.push_back(line.trimmed());
    }
}

QString ArchiveCheck::missing() {
    sortOnce();
    if (std::find(reported_.begin(), reported_.end(), false) == reported_.end()) {
        return {};
    }
    // Walked again, the first entry zip left out names itself; one that vanished meanwhile is no loss.
    naming_ = true;
    leftOut_.reset();
    QString unwalked;
    for (auto chosen = chosen_.begin(); !leftOut_ && unwalked.isEmpty() && chosen != chosen_.end();
         ++chosen) {
        if (!expect(**chosen) && !leftOut_) {
            unwalked = failure_;
        }
    }
    naming_ = false;
    if (!leftOut_) {
        return unwalked;
    }
    QString text =
        readablePath('/' + leftOut_->toStdString()) + QStringLiteral(": not stored in the archive");
    const QByteArray name = leftOut_->endsWith('/') ? leftOut_->chopped(1) : *leftOut_;
    const auto said = std::find_if(messages_.begin(), messages_.end(),
                                   [&name](const QByteArray& message) { return message.endsWith(name); });
    if (said != messages_.end()) {
        text += QStringLiteral(" (") + readablePath(said->toStdString()) + QLatin1Char(')');
    }
    return text;
}

QString ArchiveCheck::errors() const {
    QStringList lines;
    for (const QByteArray& message : messages_) {
        if (isError(message)) {
            lines << readablePath(message.toStdString());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace jobs
