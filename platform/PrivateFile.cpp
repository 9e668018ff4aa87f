#include "platform/PrivateFile.h"

#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool isOwnRegularFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

}  // namespace

std::unique_ptr<QFile> openPrivateFileForAppend(const QString& macPath) {
    const auto host = hostPath(macPath);
    if (!host) {
        return nullptr;
    }
    const QByteArray path = QFile::encodeName(*host);
    const int fd =
        ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        qCWarning(lcPlatform) << "cannot open for appending:" << macPath << ::strerror(errno);
        return nullptr;
    }
    if (!isOwnRegularFile(fd)) {
        qCWarning(lcPlatform) << "refusing" << macPath << "- not a regular file of this user";
        ::close(fd);
        return nullptr;
    }
    if (::fchmod(fd, 0600) != 0 || ::fcntl(fd, F_SETFL, O_APPEND) != 0) {
        qCWarning(lcPlatform) << "cannot make" << macPath << "private:" << ::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

}  // namespace platform
