#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// The names that the copy, image and archive jobs give what they make: "Tavrun(<date and time>)".
namespace sources {

// The time the names carry: the local time, or the clock a test sets (an empty function restores it).
QDateTime currentTime();
void setClockForTesting(std::function<QDateTime()> clock);

// FAT, exFAT and NTFS refuse ":" in a name; `fileSystem` is the file-system name the disk picker records
// ("MS-DOS FAT32", "ExFAT", "NTFS", …).
bool refusesColon(const QString& fileSystem);

// "Tavrun(yyyy-MM-dd HH:mm:ss)"; on a file system that refuses ":", "Tavrun(yyyy-MM-dd HH-mm-ss)", so the
// name stays on the volume the user chose.
QString datedName(const QDateTime& time, const QString& fileSystem);

// `name`, or "<name> 1", "<name> 2", … : the first under which nothing stands yet at `pathFor(name)`. A job
// never adds to a folder or a file that was there before it.
QString freshName(const QString& name, const std::function<QString(const QString&)>& pathFor);

}  // namespace sources
