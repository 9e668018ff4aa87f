#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace platform {

// The process's private folder for tool output files: mode 0700, owned by the process's user, in TMPDIR or
// else in the system's temporary folder. Made again whenever it has gone (a temporary-file cleaner);
// nothing when no folder can be made. The first call removes the folders of processes that have ended.
std::optional<QString> privateTempFolder();

// Removes the private folders that processes of this user left in `parent` when they ended; those of
// running processes, of other users and anything that is not a plain folder stay.
void removeStaleTempFolders(const QString& parent);

// One run's own output file in the private folder, named after the runner's file ("KVTemp.plist" gives
// "KVTemp-XXXXXX.plist"): no two runs share a file, so none waits for another. Removed with the object.
class ToolOutputFile {
public:
    explicit ToolOutputFile(const QString& name);
    ToolOutputFile(const ToolOutputFile&) = delete;
    ToolOutputFile& operator=(const ToolOutputFile&) = delete;
    ~ToolOutputFile();

    // False when no private folder could be made: the run has no file for its output.
    bool isValid() const { return !hostPath_.isEmpty(); }
    // Host path: the tool's standard output is sent here by the runner, never through a shell.
    const QString& hostPath() const { return hostPath_; }
    std::optional<QVariantMap> readDictionary() const;

private:
    QString hostPath_;
};

}  // namespace platform
