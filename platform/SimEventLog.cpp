#include "platform/SimEventLog.h"

#include "platform/MacPath.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QList>
#include <QTimer>

#include <chrono>

namespace platform {
namespace {

// The watcher may miss appends (or be unavailable); polling never does.
constexpr std::chrono::milliseconds kPoll{250};

QString field(const QByteArray& encoded) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
}

}  // namespace

SimEventLog& SimEventLog::instance() {
    static SimEventLog* log = new SimEventLog;  // never destroyed
    return *log;
}

SimEventLog::SimEventLog() {
    // Timers and the watcher belong to the main thread, whichever thread asked first.
    moveToThread(QCoreApplication::instance()->thread());
    QMetaObject::invokeMethod(
        this, [this] { startOnMainThread(); }, Qt::QueuedConnection);
}

void SimEventLog::startOnMainThread() {
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this] { readNewLines(); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { readNewLines(); });
    poll_ = new QTimer(this);
    poll_->setInterval(kPoll);
    connect(poll_, &QTimer::timeout, this, [this] { readNewLines(); });
    poll_->start();
    watchFile();
}

void SimEventLog::follow() {
    {
        std::lock_guard guard(mutex_);
        const QString root = simRoot();
        if (root == root_) {
            return;
        }
        root_ = root;
        file_ = root.isEmpty() ? QString() : root + QStringLiteral("/.sim/events.log");
        offset_ = file_.isEmpty() ? 0 : QFileInfo(file_).size();
        partial_.clear();
    }
    QMetaObject::invokeMethod(
        this, [this] { watchFile(); }, Qt::AutoConnection);
}

void SimEventLog::watchFile() {
    if (watcher_ == nullptr) {
        return;  // startOnMainThread() comes next and watches then
    }
    QString file;
    {
        std::lock_guard guard(mutex_);
        file = file_;
    }
    const QStringList old = watcher_->files() + watcher_->directories();
    if (!old.isEmpty()) {
        watcher_->removePaths(old);
    }
    if (file.isEmpty()) {
        return;
    }
    const QString folder = QFileInfo(file).path();
    if (QFileInfo::exists(folder)) {
        watcher_->addPath(folder);
    }
    if (QFileInfo::exists(file)) {
        watcher_->addPath(file);
    }
}

void SimEventLog::readNewLines() {
    QList<Event> events;
    bool rewatch = false;
    {
        std::lock_guard guard(mutex_);
        if (file_.isEmpty()) {
            return;
        }
        QFile in(file_);
        if (!in.open(QIODevice::ReadOnly)) {
            return;
        }
        if (in.size() < offset_) {  // a new log under the same root: all of it is new
            offset_ = 0;
            partial_.clear();
        }
        if (!in.seek(offset_)) {
            return;
        }
        const QByteArray data = in.readAll();
        offset_ += data.size();
        partial_ += data;
        const qsizetype end = partial_.lastIndexOf('\n');
        if (end >= 0) {
            for (const QByteArray& line : partial_.left(end).split('\n')) {
                if (auto event = parseLine(line)) {
                    events.append(std::move(*event));
                }
            }
            partial_.remove(0, end + 1);
        }
        rewatch = watcher_ != nullptr && watcher_->files().isEmpty();
    }
    if (rewatch) {
        watchFile();
    }
    for (const Event& e : events) {
        center_.post(e.name, {{kBsdName, e.bsdName},
                              {kMountPoint, e.mountPoint},
                              {kVolumeName, e.volumeName},
                              {kOldMountPoint, e.oldMountPoint}});
    }
}

std::optional<SimEventLog::Event> SimEventLog::parseLine(const QByteArray& line) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 6) {
        return std::nullopt;
    }
    bool ok = false;
    Event event;
    event.seq = fields[0].toLongLong(&ok);
    if (!ok || fields[1].isEmpty()) {
        return std::nullopt;
    }
    event.name = field(fields[1]);
    event.bsdName = field(fields[2]);
    event.mountPoint = field(fields[3]);
    event.volumeName = field(fields[4]);
    event.oldMountPoint = field(fields[5]);
    return event;
}

}  // namespace platform
