#include "simmac/state/FileLock.h"

#include "simmac/state/SimPaths.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace simmac {

FileLock::FileLock(Mode mode) {
    const QString path = SimPaths::host(SimPaths::lock());
    if (path.isEmpty()) {
        return;
    }
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) {
        return;
    }
    const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    while (::flock(fd_, operation) != 0) {
        if (errno != EINTR) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
}

FileLock::~FileLock() {
    release();
}

void FileLock::release() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
        fd_ = -1;
    }
}

}  // namespace simmac
