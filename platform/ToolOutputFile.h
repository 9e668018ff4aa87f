#pragma once

#include <QString>
#include <QVariantMap>

#include <mutex>
#include <optional>

namespace platform {

// The process's private folder (mode 0700, created once, removed at exit) for tool output files.
QString privateTempFolder();

// One fixed output file name of a tool runner ("KVTemp.plist", …) in the private folder. Holding the
// object holds that name's lock, so "delete, run, read back" is atomic per name: two callers of the same
// runner never read each other's output. Any previous file of that name is removed on construction.
class ToolOutputFile {
public:
    explicit ToolOutputFile(const QString& name);
    ToolOutputFile(const ToolOutputFile&) = delete;
    ToolOutputFile& operator=(const ToolOutputFile&) = delete;
    ~ToolOutputFile();

    // Host path: the tool's standard output is sent here by the runner, never through a shell.
    const QString& hostPath() const { return hostPath_; }
    std::optional<QVariantMap> readDictionary() const;

private:
    std::unique_lock<std::mutex> lock_;
    QString hostPath_;
};

}  // namespace platform
