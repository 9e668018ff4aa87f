#include "services/jobs/MakeDmg.h"

#include "platform/CancelFlag.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/ToolProcess.h"
#include "services/disks/ExecCommand.h"
#include "services/files/NodeTreeOperator.h"

#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>

using platform::FileKind;
using platform::FileSystem;

namespace {

const QString kHdiutil = QStringLiteral("/usr/bin/hdiutil");
const QString kZip = QStringLiteral("/usr/bin/zip");

bool isPresent(const QString& path) {
    return FileSystem::info(path).kind != FileKind::Missing;
}

platform::ToolResult hdiutil(const QStringList& arguments) {
    return platform::ToolProcess::run({kHdiutil, arguments}, commandDeadline());
}

// hdiutil attach prints one line per entity: device, content hint and, for a mounted one, its mount point.
QString mountPointOf(const QByteArray& attachOutput) {
    for (const QByteArray& line : attachOutput.split('\n')) {
        const QList<QByteArray> columns = line.split('\t');
        const QString mountPoint = QString::fromUtf8(columns.value(2)).trimmed();
        if (!mountPoint.isEmpty()) {
            return mountPoint;
        }
    }
    return {};
}

}  // namespace

// One job, shared between the worker and its blocks on the global queue. `owner` is cleared on the main
// thread when the worker dies or starts another job, and every report runs there too.
class MakeDmg::Job {
public:
    explicit Job(MakeDmg* owner) : owner_(owner) {}

    const platform::CancelFlag& cancel() const { return cancel_; }
    bool isCancelled() const { return cancel_.isRequested(); }

    void abandon() {
        owner_.store(nullptr);
        stop();
    }

    // Detaches the image at once unless a block of this job is working: that block detaches it when it sees
    // the cancel.
    void stop() {
        cancel_.request();
        std::lock_guard guard(mutex_);
        if (working_ == 0 && !attached_.isEmpty()) {
            platform::globalAsync([job = shared()] { job->detach(); });
        }
    }

    // Runs `step` on the global queue; a cancelled job's image is detached when it returns.
    void start(std::function<void(Job&)> step) {
        {
            std::lock_guard guard(mutex_);
            ++working_;
        }
        platform::globalAsync([job = shared(), step = std::move(step)] {
            step(*job);
            bool detachNow = false;
            {
                std::lock_guard guard(job->mutex_);
                detachNow = --job->working_ == 0 && job->isCancelled() && !job->attached_.isEmpty();
            }
            if (detachNow) {
                job->detach();
            }
        });
    }

    void setSelf(const std::shared_ptr<Job>& self) { self_ = self; }

    void report(const QString& text, float percent) {
        deliver([&](MakeDmgDelegate& delegate) { delegate.copyFileToDmgWithFileName(text, percent); });
    }

    void fail() {
        deliver([](MakeDmgDelegate& delegate) { delegate.makeDmgFailWithError(QString()); });
    }

    // A destination of "/" stands for "/Tavrun_dmg", made on the root volume for the image.
    void create(const QString& destination, const QString& name, qint64 size) {
        const bool onRoot = destination == u"/";
        const QString folder = onRoot ? kRootFolder : destination;
        if (onRoot && !FileSystem::makePrivateFolder(kRootFolder)) {
            qCWarning(lcServices) << "image folder cannot be made:" << kRootFolder;
            fail();
            return;
        }
        const QString image = NodeTreeOperator::pathInFolder(folder, name + QStringLiteral(".dmg"));
        const bool existedBefore = isPresent(image);
        const qint64 capacity = std::max<qint64>(size, 0) + kExtraCapacity;
        const platform::ToolResult created =
            hdiutil({QStringLiteral("create"), image, QStringLiteral("-volname"), kVolumeName,
                     QStringLiteral("-size"), QString::number(capacity), QStringLiteral("-fs"),
                     QStringLiteral("HFS+"), QStringLiteral("-format"), QStringLiteral("UDRW"),
                     QStringLiteral("-srcfolder"), kWorkFolder});
        FileSystem::remove(kWorkFolder);
        if (isCancelled()) {
            return;
        }
        // An image left at the path by someone else is no image of this run.
        if (existedBefore || !created.succeeded() || !isPresent(image)) {
            qCWarning(lcServices) << "image not created:" << image << "exit" << created.exitCode;
            fail();
            return;
        }
        mount(image);
    }

    void mount(const QString& image) {
        const platform::ToolResult attached = hdiutil({QStringLiteral("mount"), image});
        const QString mountPoint = mountPointOf(attached.output);
        if (!mountPoint.isEmpty()) {
            std::lock_guard guard(mutex_);
            attached_ = mountPoint;
        }
        if (isCancelled()) {
            return;
        }
        // Somewhere else (another image holds the mount point) the copies would land in that other image.
        if (!attached.succeeded() || mountPoint != kMountPoint) {
            qCWarning(lcServices) << "image" << image << "mounted at" << mountPoint << "instead of"
                                  << kMountPoint;
            detach();
            fail();
            return;
        }
        deliver([](MakeDmgDelegate& delegate) { delegate.beginToCopyDmg(); });
    }

    void copy(const QStringList& paths) {
        const QString mountPoint = attachedMountPoint();
        if (isCancelled()) {
            return;
        }
        if (mountPoint.isEmpty()) {
            fail();
            return;
        }
        const qsizetype count = paths.size();
        bool anyFailed = false;
        for (qsizetype j = 0; j < count; ++j) {
            if (isCancelled()) {
                return;
            }
            const QString& path = paths.at(j);
            const QString name = path.section(QLatin1Char('/'), -1);
            if (name.isEmpty() || name == u" ") {
                if (j + 1 == count) {
                    end(path, anyFailed);
                }
                continue;
            }
            if (j == 0) {
                report(path, 10.0F);
            }
            if (!FileSystem::copyItem(path, NodeTreeOperator::pathInFolder(mountPoint, name))) {
                qCWarning(lcServices) << "error--------could not copy" << path << "into the image";
                anyFailed = true;
            }
            const qsizetype percent = std::max<qsizetype>((j * 100 + 100) / count, 10);
            if (percent >= 100) {
                end(path, anyFailed);
                return;
            }
            report(path, static_cast<float>(percent));
        }
        if (count == 0) {
            end(QString(), false);
        }
    }

    // Only a detached image holds what was copied into it: success is told after the detach.
    void end(const QString& lastPath, bool anyFailed) {
        if (!detach() || anyFailed) {
            fail();
            return;
        }
        report(lastPath, 100.0F);
    }

    // True when no image of this job is attached any more.
    bool detach() {
        std::lock_guard detaching(detachMutex_);
        const QString mountPoint = attachedMountPoint();
        if (mountPoint.isEmpty()) {
            return true;
        }
        const platform::ToolResult detached = hdiutil({QStringLiteral("detach"), mountPoint});
        if (!detached.succeeded()) {
            qCWarning(lcServices) << "hdiutil detach" << mountPoint << "failed with" << detached.exitCode;
            return false;
        }
        std::lock_guard guard(mutex_);
        attached_.clear();
        return true;
    }

    void zip(const QString& archive, const FileNodeList& roots) {
        const ZipSelection selection = MakeDmg::getAllFileCount(roots);
        qCInfo(lcServices) << "files---" << selection.paths;
        qCInfo(lcServices, "cout---%llu", selection.count);
        // zip would add to an archive already there, and a failure would then take the user's file away.
        if (isPresent(archive)) {
            qCWarning(lcServices) << "archive already exists:" << archive;
            fail();
            return;
        }
        platform::ToolProcess process({kZip, QStringList{QStringLiteral("-r"), archive} + selection.paths});
        process.setCancelFlag(cancel_);
        QStringDecoder decoder(QStringDecoder::Utf8);
        quint64 proValue = 0;
        process.setOutputHandler([&](const QByteArray& chunk) {
            ++proValue;
            const quint64 percent =
                std::min<quint64>(99, proValue * 100 / std::max<quint64>(selection.count, 1));
            report(decoder.decode(chunk), static_cast<float>(percent));
        });
        const platform::ToolResult result = process.run();
        if (result.succeeded() && !isCancelled()) {
            qCInfo(lcServices) << "--end---";
            report(QString(), 100.0F);
            return;
        }
        FileSystem::remove(archive);
        qCWarning(lcServices) << "zip ended with outcome" << static_cast<int>(result.outcome) << "status"
                              << result.exitCode;
        fail();
    }

private:
    std::shared_ptr<Job> shared() const { return self_.lock(); }

    QString attachedMountPoint() {
        std::lock_guard guard(mutex_);
        return attached_;
    }

    // On the main thread while this thread waits; dropped after a cancel or once the worker is gone.
    void deliver(const std::function<void(MakeDmgDelegate&)>& call) {
        if (isCancelled()) {
            return;
        }
        platform::mainSync([&] {
            MakeDmg* owner = owner_.load();
            if (owner != nullptr && owner->delegate_ != nullptr && !isCancelled()) {
                call(*owner->delegate_);
            }
        });
    }

    std::atomic<MakeDmg*> owner_;
    platform::CancelFlag cancel_;
    std::weak_ptr<Job> self_;
    std::mutex mutex_;  // `attached_` and `working_`
    std::mutex detachMutex_;
    QString attached_;  // the mount point of the image this job attached
    int working_ = 0;   // blocks of this job on the global queue
};

MakeDmg::~MakeDmg() {
    if (job_) {
        job_->abandon();
    }
}

std::shared_ptr<MakeDmg::Job> MakeDmg::newJob() {
    if (job_) {
        job_->abandon();
    }
    job_ = std::make_shared<Job>(this);
    job_->setSelf(job_);
    return job_;
}

void MakeDmg::makeTmpDmgWithPath(const QString& folder, const QString& name, qint64 size) {
    const std::shared_ptr<Job> job = newJob();
    job->report(QStringLiteral("Configuration setting ..."), 10.0F);
    // A folder of that name left by anyone else could hold files that would end up in the image.
    FileSystem::remove(kWorkFolder);
    if (!FileSystem::makePrivateFolder(kWorkFolder)) {
        qCWarning(lcServices) << "work folder cannot be made:" << kWorkFolder;
        job->fail();
        return;
    }
    job->start([folder, name, size](Job& j) { j.create(folder, name, size); });
}

void MakeDmg::mountDmgWithDmgPath(const QString& imagePath) {
    const std::shared_ptr<Job> job = job_ ? job_ : newJob();
    job->start([imagePath](Job& j) { j.mount(imagePath); });
}

void MakeDmg::doCopyFilesToDmgWithDmg(const QStringList& paths) {
    const std::shared_ptr<Job> job = job_ ? job_ : newJob();
    job->start([paths](Job& j) { j.copy(paths); });
}

void MakeDmg::unmountDmgWithFullPath() {
    if (job_) {
        job_->detach();
    }
}

void MakeDmg::stopMakeDmg() {
    if (job_) {
        job_->stop();
    }
}

void MakeDmg::doZipWithPath(const QString& archivePath, const FileNodeList& roots) {
    const std::shared_ptr<Job> job = newJob();
    auto snapshot = std::make_shared<FileNodeList>(FileNode::checkedSnapshot(roots));
    job->start([archivePath, snapshot](Job& j) { j.zip(archivePath, *snapshot); });
}

MakeDmg::ZipSelection MakeDmg::getAllFileCount(const FileNodeList& nodes) {
    ZipSelection selection;
    for (const auto& node : nodes) {
        if (node->state() == 1) {
            selection.paths << node->path();
            selection.count += node->isDirectory() ? getAllFileCountWithPath(node->path()) : 1;
        } else if (node->state() == 2) {
            const ZipSelection below = getAllFileCount(node->children());
            selection.paths << below.paths;
            selection.count += below.count;
        }
    }
    return selection;
}

quint64 MakeDmg::getAllFileCountWithPath(const QString& folder) {
    quint64 count = 0;
    for (const platform::DirEntry& entry :
         FileSystem::list(folder).value_or(std::vector<platform::DirEntry>())) {
        ++count;
        if (entry.kind == FileKind::Directory) {
            count += getAllFileCountWithPath(NodeTreeOperator::pathInFolder(folder, entry.name));
        }
    }
    return count;
}

bool MakeDmg::isCancelCopy() const {
    return job_ && job_->isCancelled();
}

void MakeDmg::setIsCancelCopy(bool cancel) {
    if (!job_) {
        return;
    }
    if (cancel) {
        job_->cancel().request();
    } else {
        job_->cancel().reset();
    }
}
