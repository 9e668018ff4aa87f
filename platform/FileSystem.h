#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QFile;

namespace platform {

enum class FileKind { Missing, File, Directory, SymLink, Other };

struct FileInfo {
    FileKind kind = FileKind::Missing;
    qint64 size = 0;  // apparent size in bytes (a link's own size, not its target's)
    qint64 modifiedSecs = 0;
    unsigned mode = 0;
};

struct DirEntry {
    QString name;
    FileKind kind = FileKind::Other;  // of the entry itself: links are not followed
    qint64 size = 0;
};

// The one file-system facade of the program. Every path is a Mac path; a path that cannot be mapped behaves
// as a missing file. Links are resolved inside the Mac: within a simulated Mac an absolute link target is a
// path of that Mac, so nothing of the program reaches outside it. A call that fails logs the path and the
// reason.
class FileSystem {
public:
    static bool exists(const QString& macPath);       // follows links
    static bool isDirectory(const QString& macPath);  // follows links
    static bool isSymLink(const QString& macPath);
    static FileInfo info(const QString& macPath, bool followLinks = false);
    static qint64 fileSize(const QString& macPath);  // -1 when missing
    // The path with every link resolved ("/Volumes/Macintosh HD/Users" -> "/Users"); nothing when it is
    // missing or leads out of the Mac.
    static std::optional<QString> canonicalPath(const QString& macPath);

    // Entries sorted by name, hidden ones included, "." and ".." left out (and the simulated Mac's own data
    // folder ".sim"). Nothing when the folder cannot be read (missing, a file, no permission).
    static std::optional<std::vector<DirEntry>> list(const QString& macPath);

    static bool mkpath(const QString& macPath);
    // A folder only its owner can enter (0700), made with its intermediate folders; a folder already there
    // is restricted to 0700. False when something else (a file, a link) stands at the path.
    static bool makePrivateFolder(const QString& macPath);
    // Removes a file, a link (not its target) or a whole folder tree. True when nothing is left.
    static bool remove(const QString& macPath);
    static bool rename(const QString& fromMacPath, const QString& toMacPath);
    // Moves a file or folder into the platform's trash. True when it has left its place.
    static bool moveToTrash(const QString& macPath);

    // Copies a file, a link (as a link) or a folder tree (links inside copied as links), keeping modes,
    // times, extended attributes and holes; a folder's copy stays on its volume and leaves out the folder it
    // is copied into. The destination must not exist. A file is written under a hidden temporary name and
    // renamed into place only when complete, so a failed or interrupted copy never leaves a partial file
    // under the final name.
    static bool copyItem(const QString& fromMacPath, const QString& toMacPath);
    static bool copyFile(const QString& fromMacPath, const QString& toMacPath);

    static std::optional<QByteArray> readAll(const QString& macPath);
    // Temporary file in the same folder, then rename: readers see the old or the new content, whole.
    static bool writeAtomically(const QString& macPath, const QByteArray& content);

    // Opened for appending, created 0644 when missing; refuses to follow a link at the last component.
    static std::unique_ptr<QFile> openForAppend(const QString& macPath);
};

}  // namespace platform
