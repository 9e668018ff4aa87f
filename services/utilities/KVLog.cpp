#include "services/utilities/KVLog.h"

#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/PrivateFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

namespace {

const QString kLogFolder = QStringLiteral("/tmp");
const QString kLogFile = QStringLiteral("/tmp/KorvelBootableDataRecovery.txt");

struct LogFile {
    std::mutex mutex;
    std::unique_ptr<QFile> file;
};

LogFile& logFile() {
    static LogFile* instance = new LogFile;  // never destroyed: workers may log while the process ends
    return *instance;
}

int openLocked(LogFile& log) {
    if (log.file) {
        return 0;
    }
    platform::FileSystem::mkpath(kLogFolder);
    log.file = platform::openPrivateFileForAppend(kLogFile);
    return log.file ? 0 : -1;
}

// The format is checked where the caller's arguments are: at KVLog's callers.
__attribute__((format(printf, 1, 0))) QByteArray formatted(const char* format, va_list arguments) {
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        return {};
    }
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    return QByteArray(text.data(), length);
}

}  // namespace

int KVInitLog() {
    LogFile& log = logFile();
    std::lock_guard guard(log.mutex);
    return openLocked(log);
}

int KVUninitLog() {
    LogFile& log = logFile();
    std::lock_guard guard(log.mutex);
    log.file.reset();
    return 0;
}

int KVLog(const char* format, ...) {
    if (format == nullptr) {
        return -1;
    }
    va_list arguments;
    va_start(arguments, format);
    const QByteArray message = formatted(format, arguments);
    va_end(arguments);

    const QByteArray record =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() + "  " +
        message + '\n';
    LogFile& log = logFile();
    std::lock_guard guard(log.mutex);
    if (openLocked(log) != 0) {
        return -1;
    }
    if (log.file->write(record) != record.size() || !log.file->flush()) {
        qCWarning(lcServices) << "log record not written whole:" << log.file->errorString();
    }
    return 0;
}
