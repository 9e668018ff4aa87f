#pragma once

#include <QString>

// Where the copy, image and archive jobs put what they make: on the destination volume, or on the Desktop
// of the user who started the product when the volume cannot take it. Paths are Mac paths.
namespace sources {

// "<volume>/<name>", and "/<name>" on the root volume: never "//".
QString pathOnVolume(const QString& volumePath, const QString& name);

// The account that started the product. The launcher raises only the effective user, so the real user is
// asked first; when that is root, the user that sudo or pkexec recorded. Empty when root started it.
QString startingUserName();

// "/Users/<user>/Desktop" of the user who started the product (never root's when another user started it),
// made when it is missing; root's own Desktop when root started it.
QString startingUserDesktop();

// The root volume from macOS 10.15 on (`systemVersion` 1015): its system part is read-only there.
bool isReadOnlyRoot(const QString& volumePath, int systemVersion);

// A folder that exists and takes a new file: entering it is not enough.
bool canWriteFolder(const QString& path);

// The folder a copy went into.
struct OutputFolder {
    QString path;
    bool onDesktop = false;  // the destination could not take it
};

// Makes a new folder named `name` (or a fresh variant of it, `freshName`) on the volume and answers it when
// it can be written; otherwise, and on a read-only root, makes it on the Desktop of the user who started the
// product and answers that, usable or not (the job then reports its failure).
OutputFolder makeOutputFolder(const QString& volumePath, const QString& name, int systemVersion);

}  // namespace sources
