#include "services/files/DoCopyFiles.h"

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/MacPath.h"
#include "services/files/NodeTreeOperator.h"

#include <algorithm>
#include <atomic>
#include <functional>

using platform::FileKind;
using platform::FileSystem;

namespace {

QString cleaned(const QString& path) {
    return platform::cleanMacPath(path).value_or(path);
}

// `inner` is `outer` or lies below it.
bool isWithin(const QString& inner, const QString& outer) {
    return inner == outer || outer == QStringLiteral("/") || inner.startsWith(outer + QLatin1Char('/'));
}

// Where a link leads, so that a link such as "/Volumes/Macintosh HD" cannot hide the destination.
QString resolved(const QString& path) {
    return FileSystem::canonicalPath(path).value_or(path);
}

// A folder to copy into: an absolute path to a folder that exists.
bool isFolder(const QString& path) {
    return path.startsWith(QLatin1Char('/')) && FileSystem::isDirectory(path);
}

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

}  // namespace

// One run, shared between the worker and its block on the global queue. `owner` is cleared on the main thread
// when the worker dies or starts again, and every report runs there too.
class DoCopyFiles::Run {
public:
    Run(DoCopyFiles* owner, const QString& copyPath)
        : owner_(owner), destination_(resolved(cleaned(copyPath))) {}

    void abandon() { owner_.store(nullptr); }
    bool isCancel() const { return isCancel_.load(); }
    void setIsCancel(bool cancel) { isCancel_.store(cancel); }

    void copyRoots(const FileNodeList& roots) {
        const std::size_t count = roots.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (hasEnded()) {
                return;
            }
            if (i == 0) {
                report([](DoCopyFilesDelegate& delegate) { delegate.topCopyProgress(5.0F); });
            }
            copyNode(*roots[i], destination_);
            if (hasEnded()) {
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

    void copyNode(const FileNode& node, const QString& folder) {
        if (node.state() == 2) {
            if (!isFolder(folder)) {
                missingFolder(folder);
                return;
            }
            const QString copy = NodeTreeOperator::pathInFolder(folder, node.name());
            FileSystem::mkpath(copy);
            doCopyChiFilesWithArr(node.children(), copy);
        } else if (node.state() == 1) {
            toCopyFileWithNode(node, folder);
        }
    }

    void doCopyChiFilesWithArr(const FileNodeList& nodes, const QString& folder) {
        for (const auto& node : nodes) {
            if (hasEnded()) {
                return;
            }
            copyNode(*node, folder);
        }
    }

    void toCopyFileWithNode(const FileNode& node, const QString& folder) {
        if (hasEnded()) {
            return;
        }
        report([&](DoCopyFilesDelegate& delegate) { delegate.topCopyFilePath(node.path()); });
        if (!isFolder(folder)) {
            missingFolder(folder);
            return;
        }
        const QString name = DoCopyFiles::createFileWithPath(folder, node.name(), node.name());
        if (copyItem(cleaned(node.path()), NodeTreeOperator::pathInFolder(folder, name))) {
            qCDebug(lcServices, "error--(null)");
        } else {
            qCWarning(lcServices, "error--could not copy %s into %s", qUtf8Printable(node.path()),
                      qUtf8Printable(folder));
            anyItemFailed_ = true;
        }
    }

    void missingFolder(const QString& folder) {
        qCWarning(lcServices) << "copy destination folder missing:" << folder;
        reportFailure();
    }

    bool copyItem(const QString& from, const QString& to) const {
        if (FileSystem::isSymLink(from)) {
            return FileSystem::copyItem(from, to);  // the link itself, never where it leads
        }
        const QString source = resolved(from);
        if (source == destination_) {
            return true;  // already where it would go
        }
        if (!isWithin(destination_, source)) {
            return FileSystem::copyItem(source, to);
        }
        return copyAroundDestination(source, to);
    }

    // Copies a folder that holds the destination, leaving the destination out.
    bool copyAroundDestination(const QString& from, const QString& to) const {
        bool ok = FileSystem::mkpath(to);
        for (const platform::DirEntry& entry :
             FileSystem::list(from).value_or(std::vector<platform::DirEntry>{})) {
            const QString path = NodeTreeOperator::pathInFolder(from, entry.name);
            const QString copy = NodeTreeOperator::pathInFolder(to, entry.name);
            if (path == destination_) {
                continue;
            }
            const bool holdsDestination = entry.kind == FileKind::Directory && isWithin(destination_, path);
            ok = (holdsDestination ? copyAroundDestination(path, copy) : FileSystem::copyItem(path, copy)) &&
                 ok;
        }
        return ok;
    }

    std::atomic<DoCopyFiles*> owner_;
    std::atomic_bool isCancel_{false};
    const QString destination_;
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
    auto snapshot = std::make_shared<FileNodeList>(FileNode::checkedSnapshot(roots));
    platform::globalAsync([run = run_, snapshot] { run->copyRoots(*snapshot); });
}

QString DoCopyFiles::createFileWithPath(const QString& folder, const QString& normalName,
                                        const QString& fileName) {
    QString candidate = fileName;
    for (int number = 1;
         FileSystem::info(NodeTreeOperator::pathInFolder(folder, candidate)).kind != FileKind::Missing;
         ++number) {
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
