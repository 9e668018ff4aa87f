#include "app/sources/OutputNames.h"

#include "platform/FileSystem.h"

namespace sources {

namespace {

std::function<QDateTime()>& testClock() {
    static auto* clock = new std::function<QDateTime()>;
    return *clock;
}

}  // namespace

QDateTime currentTime() {
    return testClock() ? testClock()() : QDateTime::currentDateTime();
}

void setClockForTesting(std::function<QDateTime()> clock) {
    testClock() = std::move(clock);
}

bool refusesColon(const QString& fileSystem) {
    const QString name = fileSystem.toUpper();
    return name.contains(QLatin1String("FAT")) || name.contains(QLatin1String("MS-DOS")) ||
           name.contains(QLatin1String("MSDOS")) || name.contains(QLatin1String("NTFS"));
}

QString datedName(const QDateTime& time, const QString& fileSystem) {
    const QString pattern = refusesColon(fileSystem) ? QStringLiteral("yyyy-MM-dd HH-mm-ss")
                                                     : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return QStringLiteral("Tavrun(%1)").arg(time.toString(pattern));
}

QString freshName(const QString& name, const std::function<QString(const QString&)>& pathFor) {
    QString candidate = name;
    for (int n = 1; platform::FileSystem::info(pathFor(candidate)).kind != platform::FileKind::Missing; ++n) {
        candidate = QStringLiteral("%1 %2").arg(name).arg(n);
    }
    return candidate;
}

}  // namespace sources
