#include "platform/ToolOutputFile.h"

#include "platform/LogCategories.h"
#include "platform/PropertyList.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// "tavrun-<pid>-XXXXXX": the process id tells whose folder a leftover is.
const QRegularExpression kFolderName(QStringLiteral("^tavrun-(\\d+)-[A-Za-z0-9]{6}$"));

// A heap object that lives for the whole process: the process may exit while tools still run.
struct Folder {
    std::mutex mutex;
    std::string path;
    bool started = false;
};

Folder& folder() {
    // Never destroyed: a run on another thread may still use it while the process exits.
    static Folder* const instance = std::make_unique<Folder>().release();
    return *instance;
}

void removeFolderAtExit() {
    Folder& f = folder();
    if (f.mutex.try_lock()) {  // another thread may hold it while the process ends: leave the folder then
        std::error_code ignored;
        std::filesystem::remove_all(f.path, ignored);
        f.mutex.unlock();
    }
}

bool isOwnPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 07777) == 0700;
}

// TMPDIR when it is an absolute path, then the system's temporary folder.
std::vector<std::string> parentFolders() {
    std::vector<std::string> parents;
    QByteArray tmpdir = qgetenv("TMPDIR");
    while (tmpdir.size() > 1 && tmpdir.endsWith('/')) {
        tmpdir.chop(1);
    }
    if (tmpdir.startsWith('/') && tmpdir != "/tmp") {
        parents.push_back(tmpdir.toStdString());
    }
    parents.emplace_back("/tmp");
    return parents;
}

std::optional<std::string> makeFolder() {
    for (const std::string& parent : parentFolders()) {
        std::string pattern = parent + "/tavrun-" + std::to_string(::getpid()) + "-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {  // mode 0700, owned by the process's user
            return pattern;
        }
        qCWarning(lcPlatform) << "cannot make a private folder in" << parent.c_str() << ::strerror(errno);
    }
    return std::nullopt;
}

bool processRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

void removeStaleTempFolders(const QString& parent) {
    std::error_code error;
    const std::filesystem::path parentPath(QFile::encodeName(parent).toStdString());
    for (const auto& entry : std::filesystem::directory_iterator(parentPath, error)) {
        const auto match = kFolderName.match(QFile::decodeName(entry.path().filename().c_str()));
        if (!match.hasMatch()) {
            continue;
        }
        bool ok = false;
        const auto pid = static_cast<pid_t>(match.captured(1).toLongLong(&ok));
        struct stat st {};
        if (!ok || pid <= 0 || pid == ::getpid() || processRuns(pid) ||
            ::lstat(entry.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
            continue;
        }
        qCInfo(lcPlatform) << "removing the private folder of ended process" << pid;
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

std::optional<QString> privateTempFolder() {
    Folder& f = folder();
    std::lock_guard guard(f.mutex);
    if (!f.started) {
        f.started = true;
        for (const std::string& parent : parentFolders()) {
            removeStaleTempFolders(QFile::decodeName(parent.c_str()));
        }
        std::atexit(removeFolderAtExit);
    }
    if (f.path.empty() || !isOwnPrivateFolder(f.path)) {
        const auto made = makeFolder();
        if (!made) {
            return std::nullopt;
        }
        if (!f.path.empty()) {
            qCInfo(lcPlatform) << "the private folder" << f.path.c_str() << "had gone; made" << made->c_str();
        }
        f.path = *made;
    }
    return QFile::decodeName(f.path.c_str());
}

ToolOutputFile::ToolOutputFile(const QString& name) {
    const QFileInfo parts(name);
    const QString suffix = parts.suffix().isEmpty() ? QString() : u'.' + parts.suffix();
    // A second try covers a cleaner that removes the folder between the look at it and the new file.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto folder = privateTempFolder();
        if (!folder) {
            return;
        }
        QByteArray pattern =
            QFile::encodeName(*folder + u'/' + parts.completeBaseName() + QStringLiteral("-XXXXXX") + suffix);
        const int fd = ::mkstemps(pattern.data(), static_cast<int>(QFile::encodeName(suffix).size()));
        if (fd >= 0) {
            ::close(fd);
            hostPath_ = QFile::decodeName(pattern);
            return;
        }
        qCWarning(lcPlatform) << "cannot make an output file for" << name << ::strerror(errno);
    }
}

ToolOutputFile::~ToolOutputFile() {
    if (isValid()) {
        QFile::remove(hostPath_);
    }
}

std::optional<QVariantMap> ToolOutputFile::readDictionary() const {
    QFile file(hostPath_);
    if (!isValid() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return PropertyList::dictionaryFromBytes(file.readAll());
}

}  // namespace platform
