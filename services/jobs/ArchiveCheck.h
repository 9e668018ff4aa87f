#pragma once

#include "platform/CancelFlag.h"
#include "services/jobs/ItemWalk.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class FileNode;

namespace jobs {

// Whether zip stored every chosen item: the chosen items are walked before zip runs, and each entry is
// expected among the "adding:" lines of zip's output (a folder with "/" after its name), as zip names them:
// the Mac path without its first "/", byte for byte. A name that holds a line break spans the lines zip
// prints. Names are kept as keyed hashes, a few bytes each however large the tree; the one zip left out is
// named by walking the items again.
class ArchiveCheck : private ItemWalk::Visitor {
public:
    explicit ArchiveCheck(platform::CancelFlag cancel);

    // Expects the chosen item and everything in it. False, with `failure` set, when an entry cannot be looked
    // at or its path is longer than zip can open; false on a cancel. The node must outlive the check.
    bool expect(const FileNode& chosen);
    const QString& failure() const { return failure_; }
    // The output steps zip is expected to print: one per chosen file, one per entry below a chosen folder.
    quint64 count() const { return count_; }

    // A chunk of zip's output, as it came.
    void take(const QByteArray& chunk);
    // The first expected entry that zip did not report stored, with zip's own warning about it when there is
    // one (or why it cannot be looked at any more); empty when every entry is in, or vanished meanwhile.
    QString missing();
    // zip's error lines, one per line; empty when it printed none.
    QString errors() const;

private:
    int visit(const ItemWalk::Entry& entry) override;
    int enter(const ItemWalk::Entry& entry, platform::Folder& /*inner*/) override;
    int leave(platform::Folder& /*inner*/) override { return 0; }
    int expectEntry(const ItemWalk::Entry& entry, bool folder);
    std::size_t hashOf(const QByteArray& name) const;
    void sortOnce();
    // The expected entry of that name not yet reported, if any.
    std::optional<std::size_t> unreported(const QByteArray& name);
    void takeLine(const QByteArray& line);
    bool stored(const QByteArray& report);

    ItemWalk walk_;
    QString failure_;
    bool atChosen_ = false;  // the next entry is the chosen item itself
    quint64 count_ = 0;
    std::vector<const FileNode*> chosen_;
    std::vector<std::size_t> expected_;  // sorted and each once from zip's first report on
    std::vector<bool> reported_;         // beside `expected_`
    bool sorted_ = false;
    bool naming_ = false;  // walking again for the first entry left out
    std::optional<QByteArray> leftOut_;
    QByteArray partLine_;                   // output after the last line break
    std::optional<QByteArray> openReport_;  // an "adding:" report whose name may go on on the next line
    std::vector<QByteArray> messages_;      // zip's warnings and errors
};

}  // namespace jobs
