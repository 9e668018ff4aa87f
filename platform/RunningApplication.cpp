#include "platform/RunningApplication.h"

#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <chrono>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::chrono::milliseconds kSocketWait{2000};
constexpr std::chrono::milliseconds kLockWait{300};
constexpr qint64 kMaxRequestBytes = 64;
const QByteArray kActivate = QByteArrayLiteral("activate ");

// The places of one user, in a folder nobody else can write into (or plant a socket in).
std::optional<QString> placesFolder() {
    const uid_t uid = ::geteuid();
    const QString folder = QDir::tempPath() + QStringLiteral("/tavrun-running-") + QString::number(uid);
    const QByteArray name = QFile::encodeName(folder);
    ::mkdir(name.constData(), 0700);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid ||
        (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        qCWarning(lcPlatform) << "no private folder for running applications at" << folder;
        return std::nullopt;
    }
    return folder;
}

// "<folder>/<identifier>.<simulated Mac>": the Mac's part is a digest of its folder (of "" for the real one).
std::optional<QString> placeBase(const QString& bundleIdentifier) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9.-]*$"));
    if (!plain.match(bundleIdentifier).hasMatch()) {
        qCWarning(lcPlatform) << "not a bundle identifier:" << bundleIdentifier;
        return std::nullopt;
    }
    const auto folder = placesFolder();
    if (!folder) {
        return std::nullopt;
    }
    const QString root = simRoot();
    const QString canonical = QFileInfo(root).canonicalFilePath();
    const QByteArray mac = QCryptographicHash::hash((canonical.isEmpty() ? root : canonical).toUtf8(),
                                                    QCryptographicHash::Sha256)
                               .toHex()
                               .left(16);
    return *folder + u'/' + bundleIdentifier + u'.' + QString::fromLatin1(mac);
}

QString lockFile(const QString& base) {
    return base + QStringLiteral(".lock");
}
QString socketFile(const QString& base) {
    return base + QStringLiteral(".socket");
}
QString bundleFile(const QString& base) {
    return base + QStringLiteral(".bundle");
}

// An instance that was killed leaves its place behind. Every new registration clears the places of the
// user's instances that have gone, on any simulated Mac, so they never pile up.
void clearPlacesOfGoneInstances(const QString& ownBase) {
    const QString folder = QFileInfo(ownBase).path();
    for (const QFileInfo& lock : QDir(folder).entryInfoList({QStringLiteral("*.lock")}, QDir::Files)) {
        const QString base = lock.filePath().chopped(5);  // ".lock"
        if (base == ownBase) {
            continue;
        }
        QLockFile probe(lock.filePath());
        probe.setStaleLockTime(0);
        if (probe.tryLock(0)) {  // a live instance holds its lock; one that has gone does not
            QFile::remove(bundleFile(base));
            QLocalServer::removeServer(socketFile(base));
            probe.unlock();
        }
    }
}

bool answers(const QString& socketPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    const bool connected = socket.waitForConnected(static_cast<int>(kSocketWait.count()));
    socket.abort();
    return connected;
}

}  // namespace

RunningApplicationRegistration::RunningApplicationRegistration(const QString& bundleIdentifier,
                                                               const QString& bundlePath,
                                                               std::function<void(unsigned)> activate)
    : activate_(std::move(activate)) {
    const auto base = placeBase(bundleIdentifier);
    if (!base) {
        return;
    }
    lock_ = std::make_unique<QLockFile>(lockFile(*base));
    lock_->setStaleLockTime(0);  // held for the whole run: stale only when its process is gone
    // A moment's wait: another registration may be holding this lock while it clears gone instances.
    if (!lock_->tryLock(kLockWait)) {
        qCInfo(lcPlatform) << bundleIdentifier << "already runs on this Mac";
        lock_.reset();
        return;
    }
    QSaveFile path(bundleFile(*base));
    if (path.open(QIODevice::WriteOnly)) {
        path.write(bundlePath.toUtf8());
        path.commit();
    }
    bundlePathFile_ = bundleFile(*base);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketFile(*base));  // left by an instance that died; the lock is ours now
    if (!server_->listen(socketFile(*base))) {
        qCWarning(lcPlatform) << "cannot take requests for" << bundleIdentifier << server_->errorString();
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &RunningApplicationRegistration::serve);
    registered_ = true;
    clearPlacesOfGoneInstances(*base);
}

RunningApplicationRegistration::~RunningApplicationRegistration() {
    if (registered_) {
        server_->close();
        QFile::remove(bundlePathFile_);
    }
}

void RunningApplicationRegistration::serve() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {  // owned by the server
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequestBytes) {
                    socket->abort();
                }
                return;
            }
            const QByteArray line = socket->readLine(kMaxRequestBytes).trimmed();
            socket->abort();
            socket->deleteLater();
            bool ok = false;
            const unsigned options = line.startsWith(kActivate) ? line.mid(kActivate.size()).toUInt(&ok) : 0;
            if (ok && activate_) {
                activate_(options);
            }
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

QList<RunningApplication> RunningApplication::runningApplicationsWithBundleIdentifier(
    const QString& bundleIdentifier) {
    const auto base = placeBase(bundleIdentifier);
    if (!base) {
        return {};
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (!QLockFile(lockFile(*base)).getLockInfo(&pid, &host, &application) || pid <= 0) {
        return {};
    }
    // A lock whose process has gone, or whose number now belongs to another program, lists nothing: only a
    // holder that answers on its socket is running.
    if (pid != currentProcessIdentifier() && !answers(socketFile(*base))) {
        return {};
    }
    QFile path(bundleFile(*base));
    const QString bundlePath = path.open(QIODevice::ReadOnly) ? QString::fromUtf8(path.readAll()) : QString();
    return {RunningApplication(pid, bundleIdentifier, bundlePath)};
}

qint64 RunningApplication::currentProcessIdentifier() {
    return ::getpid();
}

bool RunningApplication::activateWithOptions(unsigned options) const {
    const auto base = placeBase(bundleIdentifier_);
    if (!base) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(socketFile(*base));
    if (!socket.waitForConnected(static_cast<int>(kSocketWait.count()))) {
        qCWarning(lcPlatform) << "cannot reach" << bundleIdentifier_ << socket.errorString();
        return false;
    }
    socket.write(kActivate + QByteArray::number(options) + '\n');
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(kSocketWait.count()))) {
            return false;
        }
    }
    socket.disconnectFromServer();
    return true;
}

}  // namespace platform
