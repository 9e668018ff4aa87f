#include "services/files/DoCopyFiles.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/LogCategories.h"
#include "services/files/NodeTreeOperator.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <string>

using platform::Folder;

namespace {

QString numberedName(const QString& name, int number) {
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot + 1) : QString();
    // One substitution: a "%2" inside the name stays text.
    if (extension.isEmpty() || extension == QStringLiteral(" ")) {
        return QStringLiteral("%1 %2").arg(base, QString::number(number));
    }
    return QStringLiteral("%1 %2.%3").arg(base, QString::number(number), extension);
}

// The node's own name when it is free in `folder`, else the first free numbered one.
std::string freeName(const Folder& folder, const FileNode& node) {
    std::string candidate(node.nativeName());
    for (int number = 1; folder.has(candidate); ++number) {
        candidate = numberedName(node.name(), number).toStdString();
    }
    return candidate;
}

}  // namespace

// One run, shared between the worker and its block on the global queue. `owner` is cleared on the main thread
// when the worker dies or starts again, and every report runs there too.
class DoCopyFiles::Run {
public:
    Run(DoCopyFiles* owner, const QString& copyPath) : owner_(owner), destinationPath_(copyPath) {}

    void abandon() { owner_.store(nullptr); }
    bool isCancel() const { return isCancel_.load(); }
    void setIsCancel(bool cancel) { isCancel_.store(cancel); }

    void copyRoots(const FileNodeList& roots) {
        if (destinationPath_.startsWith(QLatin1Char('/'))) {
            destination_ = Folder::open(destinationPath_, false);
        }
        if (destination_) {
            skip_ = destination_->identity();
        }
        const std::size_t count = roots.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (hasEnded()) {
                return;
            }
            if (i == 0) {
                report([](DoCopyFilesDelegate& delegate) { delegate.topCopyProgress(5.0F); });
            }
            copyNode(*roots[i], destination_ ? &*destination_ : nullptr, nullptr);
            if (hasEnded()) {
                return;
            }
            if (destination_ && !destinationStands()) {
                qCWarning(lcServices) << "copy destination folder gone:" << destinationPath_;
                reportFailure();
                return;
            }
            const auto percent = static_cast<float>(std::max<std::size_t>(5, 100 * (i + 1) / count));
            qCDebug(lcServices, "aa-----%f", static_cast<double>(percent));
            if (i + 1 == count && anyItemFailed_) {
                reportFailure();
                return;
            }
            report([percent](DoCopyFilesDelegate& delegate) { delegate.topCopyProgress(percent); });
        }
    }

private:
    // A source folder whose checked children are copied one by one, with the path it was opened by.
    struct Source {
        Folder& folder;
        const QString& path;
    };

    // Writes through the open folder go on landing in it after its volume is unmounted or unplugged, where
    // nothing reaches them; only the folder still standing at its path means the items arrived.
    bool destinationStands() const {
        const std::optional<Folder> now = Folder::open(destinationPath_, false);
        return now && now->identity() == skip_;
    }

    bool hasEnded() const { return isCancel() || failureReported_ || owner_.load() == nullptr; }

    // Delivered on the main thread while this thread waits; dropped after a cancel or a failure report.
    void report(const std::function<void(DoCopyFilesDelegate&)>& call) {
        platform::mainSync([&] {
            DoCopyFiles* owner = owner_.load();
            if (owner != nullptr && owner->delegate_ != nullptr && !hasEnded()) {
                call(*owner->delegate_);
            }
        });
    }

    void reportFailure() {
        report([](DoCopyFilesDelegate& delegate) { delegate.copyFileError(); });
        failureReported_ = true;
    }

    // `into` is the folder to copy into, none when it is missing; `source` the open folder of the node's
    // father.
    void copyNode(const FileNode& node, Folder* into, const Source* source) {
        if (node.state() == FileNode::kPartlyChecked) {
            if (into == nullptr) {
                missingFolder(destinationPath_);
                return;
            }
            recreateFolder(node, *into);
        } else if (node.state() == FileNode::kChecked) {
            toCopyFileWithNode(node, into, source);
        }
    }

    // A partly checked folder is made anew around its checked content. Only a real folder standing at its
    // name is reused: through a link the content would land outside the copy.
    void recreateFolder(const FileNode& node, Folder& into) {
        const QString path = node.path();
        std::optional<Folder> copy = into.makeChild(node.nativeName(), true);
        std::optional<Folder> from = Folder::open(path);
        std::optional<Source> source;
        if (from) {
            source.emplace(Source{*from, path});
        }
        for (const auto& child : node.children()) {
            if (hasEnded()) {
                return;
            }
            copyNode(*child, copy ? &*copy : nullptr, source ? &*source : nullptr);
        }
        if (copy && copy->made() && from) {
            copy->takeAttributesOf(*from);
        }
    }

    void toCopyFileWithNode(const FileNode& node, Folder* into, const Source* source) {
        if (hasEnded()) {
            return;
        }
        const QString path = node.path();
        report([&](DoCopyFilesDelegate& delegate) { delegate.topCopyFilePath(path); });
        if (into == nullptr) {
            missingFolder(destinationPath_);
            return;
        }
        if (copyItem(node, path, *into, source)) {
            qCDebug(lcServices, "error--(null)");
        } else {
            qCWarning(lcServices, "error--could not copy %s", qUtf8Printable(path));
            anyItemFailed_ = true;
        }
    }

    bool copyItem(const FileNode& node, const QString& path, Folder& into, const Source* source) const {
        const std::string name = freeName(into, node);
        if (source != nullptr && path == NodeTreeOperator::pathInFolder(source->path, node.name())) {
            return source->folder.copyEntry(node.nativeName(), into, name, skip_);
        }
        std::string entry;
        auto parent = Folder::openParent(path, entry);
        return parent && entry != "." && parent->copyEntry(entry, into, name, skip_);
    }

    void missingFolder(const QString& folder) {
        qCWarning(lcServices) << "copy destination folder missing:" << folder;
        reportFailure();
    }

    std::atomic<DoCopyFiles*> owner_;
    std::atomic_bool isCancel_{false};
    const QString destinationPath_;
    std::optional<Folder> destination_;
    Folder::Identity skip_;
    bool anyItemFailed_ = false;
    bool failureReported_ = false;
};

DoCopyFiles::~DoCopyFiles() {
    if (run_) {
        run_->abandon();
    }
}

void DoCopyFiles::doCopyFilesWithArr(const FileNodeList& roots, const QString& copyPath) {
    if (run_) {
        run_->abandon();
    }
    run_ = std::make_shared<Run>(this, copyPath);
    FileNode::checkedSnapshotInBackground(
        roots, [run = run_](const FileNodeList& snapshot) { run->copyRoots(snapshot); });
}

QString DoCopyFiles::createFileWithPath(const QString& folder, const QString& normalName,
                                        const QString& fileName) {
    const auto opened = Folder::open(folder, false);
    if (!opened) {
        return fileName;
    }
    QString candidate = fileName;
    for (int number = 1; opened->has(candidate.toStdString()); ++number) {
        candidate = numberedName(normalName, number);
    }
    return candidate;
}

bool DoCopyFiles::isCancel() const {
    return run_ && run_->isCancel();
}

void DoCopyFiles::setIsCancel(bool cancel) {
    if (run_) {
        run_->setIsCancel(cancel);
    }
}
