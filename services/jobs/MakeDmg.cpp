#include "services/jobs/MakeDmg.h"

#include "platform/CancelFlag.h"
#include "platform/DiskArbitration.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/ToolProcess.h"
#include "services/disks/ExecCommand.h"
#include "services/files/NodeTreeOperator.h"

#include <QStringDecoder>
#include <QUuid>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

using platform::FileKind;
using platform::FileSystem;

namespace {

const QString kHdiutil = QStringLiteral("/usr/bin/hdiutil");
const QString kZip = QStringLiteral("/usr/bin/zip");
constexpr int kDetachAttempts = 3;
constexpr std::chrono::seconds kDetachRetryPause{1};
constexpr int kBusyStatus = 16;  // hdiutil: "couldn't unmount … - Resource busy"

bool isPresent(const QString& path) {
    return FileSystem::info(path).kind != FileKind::Missing;
}

platform::ToolResult hdiutil(const QStringList& arguments) {
    return platform::ToolProcess::run({kHdiutil, arguments}, commandDeadline());
}

// The attached volume as hdiutil attach prints it: one line per entity, device, content hint and, for a
// mounted one, its mount point.
struct AttachedVolume {
    QString mountPoint;
    QString device;  // "disk6s1"
};

AttachedVolume attachedVolumeOf(const QByteArray& attachOutput) {
    for (const QByteArray& line : attachOutput.split('\n')) {
        const QList<QByteArray> columns = line.split('\t');
        const QString mountPoint = QString::fromUtf8(columns.value(2)).trimmed();
        if (!mountPoint.isEmpty()) {
            const QString device = QString::fromUtf8(columns.value(0)).trimmed();
            return {mountPoint, device.mid(device.lastIndexOf(QLatin1Char('/')) + 1)};
        }
    }
    return {};
}

// A fresh volume is often still looked at (Spotlight, the Finder): a detach refused as busy is retried,
// then forced.
bool detachImage(const QString& mountPoint) {
    for (int attempt = 1;; ++attempt) {
        const platform::ToolResult detached = hdiutil({QStringLiteral("detach"), mountPoint});
        if (detached.succeeded()) {
            return true;
        }
        qCWarning(lcServices) << "hdiutil detach" << mountPoint << "failed with" << detached.exitCode;
        if (detached.outcome != platform::ToolOutcome::Exited || detached.exitCode != kBusyStatus) {
            return false;
        }
        if (attempt == kDetachAttempts) {
            break;
        }
        std::this_thread::sleep_for(kDetachRetryPause);
    }
    return hdiutil({QStringLiteral("detach"), mountPoint, QStringLiteral("-force")}).succeeded();
}

// An image a job of this process attached and could not detach, with the image file to remove once it is
// detached (the job that made it failed). The next image job starts by detaching it: left attached it would
// hold the mount point, and every later job would fail.
struct StaleImage {
    AttachedVolume volume;
    QString image;
};

struct StaleImages {
    std::mutex mutex;
    std::vector<StaleImage> images;
};

StaleImages& staleImages() {
    static auto* images = new StaleImages;  // never destroyed: jobs may end while the process ends
    return *images;
}

void keepStale(StaleImage stale) {
    StaleImages& stales = staleImages();
    std::lock_guard guard(stales.mutex);
    stales.images.push_back(std::move(stale));
}

// Only what still stands at its mount point is detached: a mount point that now holds another volume is
// someone else's, so the record is dropped and the file left where it is.
void detachStaleImages() {
    std::vector<StaleImage> images;
    {
        StaleImages& stales = staleImages();
        std::lock_guard guard(stales.mutex);
        images.swap(stales.images);
    }
    for (StaleImage& stale : images) {
        if (platform::DiskArbitration::bsdNameForVolumePath(stale.volume.mountPoint) != stale.volume.device) {
            continue;
        }
        if (!detachImage(stale.volume.mountPoint)) {
            keepStale(std::move(stale));
        } else if (!stale.image.isEmpty()) {
            FileSystem::remove(stale.image);
        }
    }
}

// Whatever stands at the work folder's name may be another user's, filled with files meant for the image: a
// fresh folder of this process is moved there, and a name that cannot be taken over fails the job.
bool makeWorkFolder() {
    FileSystem::remove(MakeDmg::kWorkFolder);
    const QString fresh =
        MakeDmg::kWorkFolder + QLatin1Char('.') + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!FileSystem::makePrivateFolder(fresh)) {
        return false;
    }
    if (FileSystem::rename(fresh, MakeDmg::kWorkFolder)) {
        return true;
    }
    FileSystem::remove(fresh);
    return false;
}

// "/Volumes/Src/docs/" is the folder "docs"; "/" has no name to give its copy.
QString withoutTrailingSlashes(const QString& path) {
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == QLatin1Char('/')) {
        --end;
    }
    return path.left(end);
}

}  // namespace

// One job, shared between the worker and its blocks on the global queue. `owner` is cleared on the main
// thread when the worker dies or starts another job, and every report runs there too. The image this run
// made is removed unless the job succeeds.
class MakeDmg::Job {
public:
    explicit Job(MakeDmg* owner) : owner_(owner) {}

    const platform::CancelFlag& cancel() const { return cancel_; }
    bool isCancelled() const { return cancel_.isRequested(); }

    void abandon() {
        owner_.store(nullptr);
        stop();
    }

    // Cleans up at once unless a block of this job is working: that block cleans up when it sees the cancel.
    void stop() {
        cancel_.request();
        std::lock_guard guard(mutex_);
        if (working_ == 0 && hasLeftovers()) {
            platform::globalAsync([job = shared()] { job->discard(); });
        }
    }

    // Runs `step` on the global queue; a cancelled job's image is detached and removed when it returns.
    void start(std::function<void(Job&)> step) {
        {
            std::lock_guard guard(mutex_);
            ++working_;
        }
        platform::globalAsync([job = shared(), step = std::move(step)] {
            step(*job);
            bool discardNow = false;
            {
                std::lock_guard guard(job->mutex_);
                discardNow = --job->working_ == 0 && job->isCancelled() && job->hasLeftovers();
            }
            if (discardNow) {
                job->discard();
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
        detachStaleImages();
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
        // An image left at the path by someone else is no image of this run.
        if (!existedBefore && isPresent(image)) {
            std::lock_guard guard(mutex_);
            image_ = image;
        }
        if (isCancelled()) {
            return;
        }
        if (existedBefore || !created.succeeded() || !isPresent(image)) {
            qCWarning(lcServices) << "image not created:" << image << "exit" << created.exitCode;
            discardAndFail();
            return;
        }
        mount(image);
    }

    void mount(const QString& image) {
        const platform::ToolResult attached = hdiutil({QStringLiteral("mount"), image});
        const AttachedVolume volume = attachedVolumeOf(attached.output);
        if (!volume.mountPoint.isEmpty()) {
            std::lock_guard guard(mutex_);
            attached_ = volume;
        }
        if (isCancelled()) {
            return;
        }
        // Somewhere else (another image holds the mount point) the copies would land in that other image.
        if (!attached.succeeded() || volume.mountPoint != kMountPoint) {
            qCWarning(lcServices) << "image" << image << "mounted at" << volume.mountPoint << "instead of"
                                  << kMountPoint;
            discardAndFail();
            return;
        }
        deliver([](MakeDmgDelegate& delegate) { delegate.beginToCopyDmg(); });
    }

    void copy(const QStringList& paths) {
        const QString mountPoint = attachedVolume().mountPoint;
        if (isCancelled()) {
            return;
        }
        if (mountPoint.isEmpty()) {
            discardAndFail();
            return;
        }
        const qsizetype count = paths.size();
        bool anyFailed = false;
        for (qsizetype j = 0; j < count; ++j) {
            if (isCancelled()) {
                return;
            }
            const QString& path = paths.at(j);
            if (j == 0) {
                report(path, 10.0F);
            }
            if (!copyItem(path, mountPoint)) {
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
            discardAndFail();
            return;
        }
        if (isCancelled()) {
            return;
        }
        {
            std::lock_guard guard(mutex_);
            image_.clear();  // the user's now
        }
        report(lastPath, 100.0F);
    }

    // True when no image of this job is attached any more. One that cannot be detached is left to the next
    // job, with the file to remove if this job does not succeed.
    bool detach() {
        std::lock_guard detaching(detachMutex_);
        const AttachedVolume volume = attachedVolume();
        if (volume.mountPoint.isEmpty()) {
            return true;
        }
        const bool detached = detachImage(volume.mountPoint);
        std::lock_guard guard(mutex_);
        if (!detached) {
            keepStale({volume, std::exchange(image_, QString())});
        }
        attached_ = {};
        return detached;
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
        // Links are stored as links (followed, one to a parent folder or to "/" would pull in whole trees),
        // and a chosen item zip cannot find or read fails the archive instead of being left out of it.
        platform::ToolProcess process(
            {kZip, QStringList{QStringLiteral("-r"), QStringLiteral("-y"), QStringLiteral("-MM"), archive} +
                       selection.paths});
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
        qCWarning(lcServices) << "zip ended with outcome" << platform::outcomeName(result.outcome) << "status"
                              << result.exitCode;
        fail();
    }

private:
    std::shared_ptr<Job> shared() const { return self_.lock(); }

    bool hasLeftovers() const { return !attached_.mountPoint.isEmpty() || !image_.isEmpty(); }

    AttachedVolume attachedVolume() {
        std::lock_guard guard(mutex_);
        return attached_;
    }

    // Every item lands in the image's root under its own name, whatever folder it came from.
    static bool copyItem(const QString& path, const QString& mountPoint) {
        const QString source = withoutTrailingSlashes(path);
        const QString name = source.section(QLatin1Char('/'), -1);
        return !name.isEmpty() &&
               FileSystem::copyItem(source, NodeTreeOperator::pathInFolder(mountPoint, name));
    }

    // Detaches the image and removes the file this run made.
    void discard() {
        if (!detach()) {
            return;
        }
        QString image;
        {
            std::lock_guard guard(mutex_);
            image = std::exchange(image_, QString());
        }
        if (!image.isEmpty()) {
            FileSystem::remove(image);
        }
    }

    void discardAndFail() {
        discard();
        fail();
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
    std::mutex mutex_;  // `attached_`, `image_` and `working_`
    std::mutex detachMutex_;
    AttachedVolume attached_;  // the image this job attached
    QString image_;            // the image file this run made, until the job succeeds
    int working_ = 0;          // blocks of this job on the global queue
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
    if (!makeWorkFolder()) {
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
