#include "services/jobs/MakeDmg.h"

#include "platform/CancelFlag.h"
#include "platform/DiskArbitration.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/ToolProcess.h"
#include "services/disks/ExecCommand.h"
#include "services/files/NodeTreeOperator.h"
#include "services/jobs/ArchiveCheck.h"
#include "services/jobs/ImageFill.h"
#include "services/jobs/ItemNames.h"

#include <QStringDecoder>
#include <QUuid>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

using jobs::readablePath;
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

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// hdiutil's messages come with its output: its last line says why it failed.
platform::ToolResult hdiutil(const QStringList& arguments, const platform::CancelFlag& cancel = {}) {
    platform::ToolProcess process({kHdiutil, arguments});
    process.setDeadline(commandDeadline());
    process.setMergeStandardError(true);
    process.setCancelFlag(cancel);
    return process.run();
}

// Why a run of a tool ("hdiutil create") did not succeed: its last line that starts with the tool's name
// ("hdiutil: create failed - No space left on device"), or how it ended.
QString toolMessage(const QString& run, const platform::ToolResult& result) {
    const QByteArray prefix = run.section(QLatin1Char(' '), 0, 0).toUtf8() + ':';
    const QList<QByteArray> lines = result.output.split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->trimmed().startsWith(prefix)) {
            return readablePath(line->trimmed().toStdString());
        }
    }
    if (result.outcome == platform::ToolOutcome::Exited) {
        return QStringLiteral("%1 ended with status %2").arg(run).arg(result.exitCode);
    }
    return run + QLatin1Char(' ') + QLatin1String(platform::outcomeName(result.outcome));
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
// then forced. Empty when the image is detached, else hdiutil's word on why not.
QString detachImage(const QString& mountPoint) {
    for (int attempt = 1;; ++attempt) {
        const platform::ToolResult detached = hdiutil({QStringLiteral("detach"), mountPoint});
        if (detached.succeeded()) {
            return {};
        }
        qCWarning(lcServices) << "hdiutil detach" << mountPoint << "failed with" << detached.exitCode;
        if (detached.outcome != platform::ToolOutcome::Exited || detached.exitCode != kBusyStatus) {
            return toolMessage(QStringLiteral("hdiutil detach"), detached);
        }
        if (attempt == kDetachAttempts) {
            break;
        }
        std::this_thread::sleep_for(kDetachRetryPause);
    }
    const platform::ToolResult forced =
        hdiutil({QStringLiteral("detach"), mountPoint, QStringLiteral("-force")});
    return forced.succeeded() ? QString() : toolMessage(QStringLiteral("hdiutil detach"), forced);
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
        if (!detachImage(stale.volume.mountPoint).isEmpty()) {
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

    void fail(const QString& reason) {
        qCWarning(lcServices).noquote() << "image or archive job failed:" << reason;
        deliver([&reason](MakeDmgDelegate& delegate) { delegate.makeDmgFailWithError(reason); });
    }

    // A destination of "/" stands for "/Tavrun_dmg", made on the root volume for the image.
    void create(const QString& destination, const QString& name, qint64 size) {
        detachStaleImages();
        const bool onRoot = destination == u"/";
        const QString folder = onRoot ? kRootFolder : destination;
        if (onRoot && !FileSystem::makePrivateFolder(kRootFolder)) {
            fail(kRootFolder + QStringLiteral(": the folder for the image cannot be made"));
            return;
        }
        const QString image = NodeTreeOperator::pathInFolder(folder, name + QStringLiteral(".dmg"));
        // An image left at the path by someone else is no image of this run.
        if (isPresent(image)) {
            FileSystem::remove(kWorkFolder);
            fail(image + QStringLiteral(": ") + errnoText(EEXIST));
            return;
        }
        const qint64 capacity = std::max<qint64>(size, 0) + kExtraCapacity;
        const platform::ToolResult created =
            hdiutil({QStringLiteral("create"), image, QStringLiteral("-volname"), kVolumeName,
                     QStringLiteral("-size"), QString::number(capacity), QStringLiteral("-fs"),
                     QStringLiteral("HFS+"), QStringLiteral("-format"), QStringLiteral("UDRW"),
                     QStringLiteral("-srcfolder"), kWorkFolder},
                    cancel_);
        FileSystem::remove(kWorkFolder);
        if (isPresent(image)) {
            std::lock_guard guard(mutex_);
            image_ = image;
        }
        if (isCancelled()) {
            return;
        }
        if (!created.succeeded() || !isPresent(image)) {
            qCWarning(lcServices) << "image not created:" << image << "exit" << created.exitCode;
            discardAndFail(created.succeeded() ? image + QStringLiteral(": ") + errnoText(ENOENT)
                                               : toolMessage(QStringLiteral("hdiutil create"), created));
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
        if (!attached.succeeded()) {
            discardAndFail(toolMessage(QStringLiteral("hdiutil mount"), attached));
            return;
        }
        // Somewhere else (another image holds the mount point) the copies would land in that other image.
        if (volume.mountPoint != kMountPoint) {
            discardAndFail(QStringLiteral("The image was mounted at \"%1\" instead of \"%2\"")
                               .arg(volume.mountPoint, kMountPoint));
            return;
        }
        deliver([](MakeDmgDelegate& delegate) { delegate.beginToCopyDmg(); });
    }

    // Item by item, each at its path below its source folder; the first item that cannot be copied whole
    // fails the job.
    void copy(const FileNodeList& roots) {
        const QString mountPoint = attachedVolume().mountPoint;
        if (isCancelled()) {
            return;
        }
        std::optional<platform::Folder> image =
            mountPoint.isEmpty() ? std::nullopt : platform::Folder::open(mountPoint, false);
        if (!image) {
            discardAndFail(kMountPoint + QStringLiteral(": ") +
                           errnoText(mountPoint.isEmpty() ? ENOENT : errno));
            return;
        }
        jobs::ImageFill fill(std::move(*image), cancel_);
        const std::vector<const FileNode*> items = jobs::chosenItems(roots);
        const auto count = static_cast<qsizetype>(items.size());
        for (qsizetype j = 0; j < count; ++j) {
            const QString path = items[j]->path();
            if (j == 0) {
                report(path, 10.0F);
            }
            if (!fill.copy(*items[j])) {
                if (!isCancelled()) {
                    discardAndFail(fill.failure());
                }
                return;
            }
            const qsizetype percent = std::max<qsizetype>((j * 100 + 100) / count, 10);
            if (percent >= 100) {
                end(path, fill);
                return;
            }
            report(path, static_cast<float>(percent));
        }
        end(QString(), fill);
    }

    // Only a detached image holds what was copied into it: success is told after the detach.
    void end(const QString& lastPath, jobs::ImageFill& fill) {
        if (isCancelled()) {
            return;
        }
        if (!fill.finish()) {
            discardAndFail(fill.failure());
            return;
        }
        if (const QString refused = detach(); !refused.isEmpty()) {
            discardAndFail(refused);
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

    // Empty when no image of this job is attached any more, else why not. One that cannot be detached is left
    // to the next job, with the file to remove if this job does not succeed.
    QString detach() {
        std::lock_guard detaching(detachMutex_);
        const AttachedVolume volume = attachedVolume();
        if (volume.mountPoint.isEmpty()) {
            return {};
        }
        const QString refused = detachImage(volume.mountPoint);
        std::lock_guard guard(mutex_);
        if (!refused.isEmpty()) {
            keepStale({volume, std::exchange(image_, QString())});
        }
        attached_ = {};
        return refused;
    }

    void zip(const QString& archive, const FileNodeList& roots) {
        // zip would add to an archive already there, and a failure would then take the user's file away.
        if (isPresent(archive)) {
            fail(archive + QStringLiteral(": ") + errnoText(EEXIST));
            return;
        }
        if (const QString unnamed = jobs::itemNoToolCanBeGiven(roots); !unnamed.isEmpty()) {
            fail(unnamed + QStringLiteral(": the name is not valid UTF-8, so zip cannot be given it"));
            return;
        }
        jobs::ArchiveCheck check(cancel_);
        ZipSelection selection;
        for (const FileNode* item : jobs::chosenItems(roots)) {
            selection.paths << item->path();
            if (!check.expect(*item)) {
                fail(check.failure());
                return;
            }
        }
        selection.count = check.count();
        qCInfo(lcServices) << "files---" << selection.paths;
        qCInfo(lcServices, "cout---%llu", selection.count);
        // Links are stored as links (followed, one to a parent folder or to "/" would pull in whole trees);
        // whatever zip leaves out fails the archive.
        platform::ToolProcess process(
            {kZip, QStringList{QStringLiteral("-r"), QStringLiteral("-y"), QStringLiteral("-MM"), archive} +
                       selection.paths});
        process.setCancelFlag(cancel_);
        QStringDecoder decoder(QStringDecoder::Utf8);
        quint64 proValue = 0;
        process.setOutputHandler([&](const QByteArray& chunk) {
            check.take(chunk);
            ++proValue;
            const quint64 percent =
                std::min<quint64>(99, proValue * 100 / std::max<quint64>(selection.count, 1));
            report(decoder.decode(chunk), static_cast<float>(percent));
        });
        const platform::ToolResult result = process.run();
        const QString missing = result.succeeded() ? check.missing() : QString();
        if (result.succeeded() && missing.isEmpty() && !isCancelled()) {
            qCInfo(lcServices) << "--end---";
            report(QString(), 100.0F);
            return;
        }
        FileSystem::remove(archive);
        if (!result.succeeded()) {
            const QString errors = check.errors();
            fail(errors.isEmpty() ? toolMessage(QStringLiteral("zip"), result) : errors);
            return;
        }
        fail(missing);
    }

private:
    std::shared_ptr<Job> shared() const { return self_.lock(); }

    bool hasLeftovers() const { return !attached_.mountPoint.isEmpty() || !image_.isEmpty(); }

    AttachedVolume attachedVolume() {
        std::lock_guard guard(mutex_);
        return attached_;
    }

    // Detaches the image and removes the file this run made.
    void discard() {
        if (!detach().isEmpty()) {
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

    void discardAndFail(const QString& reason) {
        discard();
        fail(reason);
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
        job->fail(kWorkFolder + QStringLiteral(": the work folder cannot be made"));
        return;
    }
    job->start([folder, name, size](Job& j) { j.create(folder, name, size); });
}

void MakeDmg::mountDmgWithDmgPath(const QString& imagePath) {
    const std::shared_ptr<Job> job = job_ ? job_ : newJob();
    job->start([imagePath](Job& j) { j.mount(imagePath); });
}

void MakeDmg::doCopyFilesToDmgWithDmg(const FileNodeList& roots) {
    const std::shared_ptr<Job> job = job_ ? job_ : newJob();
    auto snapshot = std::make_shared<FileNodeList>(FileNode::checkedSnapshot(roots));
    job->start([snapshot](Job& j) { j.copy(*snapshot); });
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
    jobs::ArchiveCheck check({});
    for (const FileNode* item : jobs::chosenItems(nodes)) {
        selection.paths << item->path();
        check.expect(*item);
    }
    selection.count = check.count();
    return selection;
}

quint64 MakeDmg::getAllFileCountWithPath(const QString& folder) {
    const FileNode chosen(folder, folder.section(QLatin1Char('/'), -1), true, nullptr);
    jobs::ArchiveCheck check({});
    check.expect(chosen);
    return check.count();
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
