#pragma once

namespace simmac {

// flock(2) on the sim root's lock file for the life of the object. Every change of the state, the fault
// rules and the logs happens under the exclusive lock; readers of the state take the shared one.
class FileLock {
public:
    enum class Mode { Shared, Exclusive };

    explicit FileLock(Mode mode);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    bool held() const { return fd_ >= 0; }
    void release();

private:
    int fd_ = -1;
};

}  // namespace simmac
