#include "services/jobs/ArchiveCheck.h"

#include "services/files/FileNode.h"
#include "services/jobs/ItemNames.h"

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
    atChosen_ = true;
    const bool walked = walk_.walk(*folder, nativeFolderPath(chosen), std::string(chosen.nativeName()));
    failure_ = walk_.failure();
    return walked;
}

int ArchiveCheck::expectEntry(const ItemWalk::Entry& entry, bool folder) {
    // A chosen folder counts by the entries below it.
    count_ += folder && atChosen_ ? 0 : 1;
    atChosen_ = false;
    std::string name = entry.folderPath.substr(std::min<std::size_t>(1, entry.folderPath.size()));
    if (!name.empty()) {
        name += '/';
    }
    name += entry.name;
    // zip opens each entry by its path: a longer one is never stored.
    if (name.size() + 1 >= PATH_MAX) {
        return ENAMETOOLONG;
    }
    expected_.insert(folder ? name + '/' : name);
    return 0;
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
    return mark >= 0 && expected_.erase(report.left(mark).toStdString()) > 0;
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

QString ArchiveCheck::missing() const {
    if (expected_.empty()) {
        return {};
    }
    const std::string& first = *std::min_element(expected_.begin(), expected_.end());
    QString text = readablePath('/' + first) + QStringLiteral(": not stored in the archive");
    const QByteArray name = QByteArray::fromStdString(first).chopped(first.ends_with('/') ? 1 : 0);
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
