#include "simmac/tools/Console.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <unistd.h>

namespace simmac {
namespace {

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;  // the reader has gone; what it missed cannot be delivered
        }
        done += n;
    }
}

}  // namespace

// Lines are counted as they are completed, whether a verb writes them whole or in fragments as asr does.
void Console::write(const QByteArray& bytes) {
    if (!muted_) {
        writeAll(STDOUT_FILENO, bytes);
    }
    for (qsizetype i = bytes.count('\n'); i > 0 && lineHook_; --i) {
        lineHook_(++lines_);
    }
}

void Console::line(const QString& text) {
    write(text.toUtf8() + '\n');
}

void Console::error(const QString& text) {
    writeAll(STDERR_FILENO, text.toUtf8() + '\n');
}

void Console::progress(int percent) {
    write(QByteArray::number(percent));
    if (progressHook_) {
        progressHook_(percent);
    }
}

void Console::pause(std::chrono::milliseconds delay) {
    if (delay.count() > 0) {
        std::this_thread::sleep_for(delay);
    }
}

}  // namespace simmac
