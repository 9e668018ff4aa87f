#pragma once

#include "services/files/FileNode.h"
#include "services/files/GetFilesSizeDelegate.h"

#include <QString>

#include <atomic>
#include <memory>

// Sums the bytes of what is checked in a tree: a checked folder whole, whatever its children say, a checked
// file by its size, a partly checked folder through its children, never entering another volume's mount
// point. It sums a snapshot taken when it starts, both on the global queue, and reports the total once, on
// the main thread. Destroying the summer drops the report.
class GetFilesSize {
public:
    GetFilesSize() = default;
    GetFilesSize(const GetFilesSize&) = delete;
    GetFilesSize& operator=(const GetFilesSize&) = delete;
    ~GetFilesSize();

    void getAllFilesSizeWithArr(const FileNodeList& roots);
    // `total` plus the bytes of every file below `path`; an item that is not a folder counts with its own
    // size.
    static quint64 getFileSizeWithPat(const QString& path, quint64 total);

    qint64 allFileSize() const { return allFileSize_; }
    GetFilesSizeDelegate* delegate() const { return delegate_; }
    void setDelegate(GetFilesSizeDelegate* delegate) { delegate_ = delegate; }

private:
    static quint64 sumChecked(const FileNodeList& nodes);

    // Cleared on the main thread when this summer dies or starts again; the report runs there too.
    std::shared_ptr<std::atomic<GetFilesSize*>> owner_;
    qint64 allFileSize_ = 0;
    GetFilesSizeDelegate* delegate_ = nullptr;
};
