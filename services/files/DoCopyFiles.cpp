#include "services/files/DoCopyFiles.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/LogCategories.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

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
class DoCopyFiles::Run : public platform::CopyWatch, public std::enable_shared_from_this<Run> {
public:
    Run(DoCopyFiles* owner, const QString& copyPath, std::function<void(const QString&)> gate)
        : owner_(owner), destinationPath_(copyPath), gate_(std::move(gate)) {}

    void abandon() { owner_.store(nullptr); }
    bool isCancel() const { return isCancel_.load(); }
    void setIsCancel(bool cancel) { isCancel_.store(cancel); }
    bool isRunning() const { return running_.load(); }

    void copyRoots(const FileNodeList& roots) {
        if (destinationPath_.startsWith(QLatin1Char('/'))) {
            destination_ = Folder::open(destinationPath_, false);
        }
        if (destination_) {
            skip_ = destination_->identity();
        }
        const std::size_t count = roots.size();
        for (std::size_t i = 0; i < count && !hasEnded(); ++i) {
            if (i == 0) {
                report([](DoCopyFilesDelegate& delegate) { delegate.topCopyProgress(5.0F); });
            }
            copyRoot(*roots[i]);
            if (hasEnded()) {
                break;
            }
            if (destination_ && !destinationStands()) {
                qCWarning(lcServices) << "copy destination folder gone:" << destinationPath_;
                failed(destinationPath_, ENODEV);
                reportFailure();
                break;
            }
            const auto percent = static_cast<float>(std::max<std::size_t>(5, 100 * (i + 1) / count));
            qCDebug(lcServices, "aa-----%f", static_cast<double>(percent));
            if (i + 1 == count && !anyItemFailed_ && destination_ && !destination_->flush()) {
                failed(destinationPath_, errno);
            }
            if (i + 1 == count && anyItemFailed_) {
                reportFailure();
                break;
            }
            report([percent](DoCopyFilesDelegate& delegate) { delegate.topCopyProgress(percent); });
        }
        running_.store(false);
        platform::mainAsync([run = shared_from_this()] {
            DoCopyFiles* owner = run->owner_.load();
            if (owner != nullptr && owner->delegate_ != nullptr) {
                owner->delegate_->copyStopped();
            }
        });
    }

    // What the folder copies ask and tell, on this run's thread.
    bool goOn() override { return !hasEnded(); }
    void next(const Folder& folder, std::string_view name) override {
        if (gate_) {
            gate_(folder.macPathOf(name));
        }
    }
    void failed(const QString& path, int error) override {
        anyItemFailed_ = true;
        const std::lock_guard lock(failuresMutex_);
        if (failures_.size() < kKeptFailures) {
            failures_.push_back({path, QString::fromLocal8Bit(std::strerror(error)), error});
        }
        ++failureCount_;
    }

private:
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

    // The path of an item below the top level goes without waiting; a path not yet shown when the next comes
    // is passed over, so that thousands of small items do not wait for the screen one by one.
    void reportPath(const QString& path) {
        const std::lock_guard lock(pathMutex_);
        pendingPath_ = path;
        if (std::exchange(pathPosted_, true)) {
            return;
        }
        platform::mainAsync([run = shared_from_this()] {
            QString shown;
            {
                const std::lock_guard pathLock(run->pathMutex_);
                shown = std::exchange(run->pendingPath_, QString());
                run->pathPosted_ = false;
            }
            DoCopyFiles* owner = run->owner_.load();
            if (owner != nullptr && owner->delegate_ != nullptr && !run->hasEnded()) {
                owner->delegate_->topCopyFilePath(shown);
            }
        });
    }

    void reportFailure() {
        report([this](DoCopyFilesDelegate& delegate) {
            DoCopyFiles* owner = owner_.load();
            {
                const std::lock_guard lock(failuresMutex_);
                owner->failures_ = failures_;
                owner->failureCount_ = failureCount_;
            }
            delegate.copyFileError();
        });
        failureReported_ = true;
    }

    // A root is reached from the folder it was listed in, by its name's own bytes; one made from a path, from
    // the folder of that path.
    void copyRoot(const FileNode& root) {
        if (root.state() == FileNode::kUnchecked) {
            return;
        }
        std::optional<Folder> parent;
        std::string entry;
        if (const FileNode::ListedFolder* listed = root.listedIn()) {
            parent = Folder::open(listed->path);
            entry = root.nativeName();
        } else {
            parent = Folder::openParent(root.path(), entry);
            if (entry == ".") {
                parent.reset();
            }
        }
        copyNode(root, destination_ ? &*destination_ : nullptr, parent ? &*parent : nullptr, entry, true);
    }

    // `into` is the folder to copy into, none when it is missing; `source` the open folder holding the node
    // as `entry`, none when it cannot be reached.
    void copyNode(const FileNode& node, Folder* into, Folder* source, std::string_view entry, bool top) {
        if (node.state() == FileNode::kPartlyChecked) {
            recreateFolder(node, into, source, entry, top);
        } else if (node.state() == FileNode::kChecked) {
            toCopyFileWithNode(node, into, source, entry, top);
        }
    }

    // A partly checked folder is made anew around its checked content. Only a real folder standing at its
    // name is reused: through a link the content would land outside the copy. A link or a file that is
    // partly checked (the tree was made before it changed) is one item and copied as such.
    void recreateFolder(const FileNode& node, Folder* into, Folder* source, std::string_view entry,
                        bool top) {
        if (into == nullptr) {
            missingFolder(destinationPath_);
            return;
        }
        std::optional<Folder> from = source != nullptr ? source->chosenChild(entry) : std::nullopt;
        if (!from) {
            toCopyFileWithNode(node, into, source, entry, top);
            return;
        }
        std::optional<Folder> copy = into->makeChild(node.nativeName(), true);
        if (!copy) {
            missingFolder(into->macPathOf(node.nativeName()));
            return;
        }
        for (const auto& child : node.children()) {
            if (hasEnded()) {
                return;
            }
            copyNode(*child, &*copy, &*from, child->nativeName(), false);
        }
        if (copy->made()) {
            copy->takeAttributesOf(*from);
        }
    }

    void toCopyFileWithNode(const FileNode& node, Folder* into, Folder* source, std::string_view entry,
                            bool top) {
        if (hasEnded()) {
            return;
        }
        const QString path = node.path();
        if (top) {
            report([&](DoCopyFilesDelegate& delegate) { delegate.topCopyFilePath(path); });
        } else {
            reportPath(path);
        }
        if (gate_) {
            gate_(path);
        }
        if (into == nullptr) {
            missingFolder(destinationPath_);
            return;
        }
        if (source == nullptr) {
            failed(path, ENOENT);
            qCWarning(lcServices, "error--could not reach %s", qUtf8Printable(path));
            return;
        }
        const std::string name = freeName(*into, node);
        if (source->copyEntry(entry, *into, name, skip_, this)) {
            qCDebug(lcServices, "error--(null)");
        } else if (!hasEnded()) {
            qCWarning(lcServices, "error--could not copy %s", qUtf8Printable(path));
            anyItemFailed_ = true;
        }
    }

    void missingFolder(const QString& folder) {
        qCWarning(lcServices) << "copy destination folder missing:" << folder;
        failed(folder, ENOENT);
        reportFailure();
    }

    std::atomic<DoCopyFiles*> owner_;
    std::atomic_bool isCancel_{false};
    std::atomic_bool running_{true};
    const QString destinationPath_;
    const std::function<void(const QString&)> gate_;
    std::optional<Folder> destination_;
    Folder::Identity skip_;
    bool anyItemFailed_ = false;
    std::atomic_bool failureReported_{false};  // read by reports delivered without waiting
    std::mutex failuresMutex_;
    std::vector<Failure> failures_;
    int failureCount_ = 0;
    std::mutex pathMutex_;
    QString pendingPath_;
    bool pathPosted_ = false;
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
    failures_.clear();
    failureCount_ = 0;
    run_ = std::make_shared<Run>(this, copyPath, gate_);
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

bool DoCopyFiles::isRunning() const {
    return run_ && run_->isRunning();
}

bool DoCopyFiles::isCancel() const {
    return run_ && run_->isCancel();
}

void DoCopyFiles::setIsCancel(bool cancel) {
    if (run_) {
        run_->setIsCancel(cancel);
    }
}
